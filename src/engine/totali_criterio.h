#pragma once

#include "data/recordset.h"
#include "data/recordset_filter.h"
#include "data/variant.h"
#include "engine/scrittura_riga.h"
#include "host/error_trap.h"

#include <QString>

#include <optional>
#include <vector>

namespace bdg {

struct FormState;
class BudgetObject;

/// True when an amount counts as present: NVL(value, "") is not the empty text. A 0 is
/// present, a Null is not, so an item that received nothing keeps Null instead of 0.
bool IsImportoValorizzato(const Variant& value);

/// NVL(target, 0) + addend, exact. Raises std::runtime_error naming `field` when either
/// side is not a number.
Variant SommaImporto(const Variant& target, const Variant& addend, const QString& field);

/// Names of the per-set fields, built once and reused on every row of a roll-up.
class NomiCampiConfronto {
public:
    const QString& imp(int set);
    const QString& deltaImp(int set);
    const QString& deltaPerc(int set);

private:
    void grow(int set);

    std::vector<QString> m_imp;
    std::vector<QString> m_deltaImp;
    std::vector<QString> m_deltaPerc;
};

/// A field's position in the recordsets of one layout: looked up by name the first time it
/// is asked for, with the error of an unknown name at that point, and kept after that.
class CampoPerNome {
public:
    explicit constexpr CampoPerNome(QStringView nome) : m_nome(nome) {}
    int in(const Recordset& recordset) {
        if (m_posizione < 0)
            m_posizione = recordset.requireField(m_nome);
        return m_posizione;
    }

private:
    QStringView m_nome;
    int m_posizione = -1;
};

/// Where the per-set fields sit in the recordsets of one layout (a table and its clones):
/// each is looked up by name the first time it is used, with the error of an unknown name
/// at that point, and reached by its position after that.
class CampiConfronto {
public:
    int imp(const Recordset& recordset, int set);
    int deltaImp(const Recordset& recordset, int set);
    int deltaPerc(const Recordset& recordset, int set);
    NomiCampiConfronto& nomi() { return m_nomi; }
    /// A row change for the recordsets of this layout, emptied: the room of the previous
    /// change serves the next one.
    ModificaRiga& modifica() {
        m_modifica.ricomincia();
        return m_modifica;
    }

private:
    int posizione(std::vector<int>& posizioni, const Recordset& recordset, int set,
                  const QString& (NomiCampiConfronto::*nome)(int));

    NomiCampiConfronto m_nomi;
    std::vector<int> m_imp;
    std::vector<int> m_deltaImp;
    std::vector<int> m_deltaPerc;
    ModificaRiga m_modifica;
};

/// Adds every present IMPi of the current row of `source` (i = 1 .. nrConfronti) to the
/// same field of the current row of `target`, then saves the target row; on an error the
/// target row is left as it was. Each recordset's fields are found through its own
/// CampiConfronto (the same one when both share a layout).
void SommaImportiRiga(Recordset& target, CampiConfronto& campiTarget, const Recordset& source,
                      CampiConfronto& campiSource, int nrConfronti);

/// Fills DELTA_IMPi and DELTA_PERCi of the current row for i = 2 .. nrConfronti against the
/// set to the left, through the budget object's Delta and DeltaPerc; a difference is added
/// to what the field holds, a percentage replaces it. Saves the row, or leaves it as it was
/// on an error.
void CalcolaDifferenzeRiga(Recordset& recordset, const BudgetObject& budget, int nrConfronti,
                           CampiConfronto& campi);

/// Sets `rows` to whether the cursor's view has rows; false when the procedure is left.
bool HaRighe(ErrorTrap& trap, const Recordset& cursor, bool& rows);

/// Runs `body` on every row of the cursor's view from the first, each row one trapped
/// statement: retry runs the row again, ignore goes on with the next row, abort ends the
/// visit. True while the procedure goes on.
template <class Body> bool VisitaRighe(ErrorTrap& trap, Recordset& cursor, Body body) {
    bool rows = false;
    if (!HaRighe(trap, cursor, rows)) {
        return false;
    }
    if (!rows) {
        return true;
    }
    if (!trap([&] { cursor.MoveFirst(); })) {
        return false;
    }
    while (!cursor.Eof()) {
        if (!trap(body)) {
            return false;
        }
        if (!trap([&] { cursor.MoveNext(); })) {
            return false;
        }
    }
    return !trap.left();
}

/// Number of comparison sets, read from the comparison table as every row needs it.
int NrConfrontiDa(const RecordsetPtr& rstConfronto);

/// "'text'" for a recordset filter, quotes inside doubled so that a code holding a quote
/// is matched instead of breaking the filter.
QString FiltroTesto(const QString& text);

/*
 * The roll-up steps shared by the criterion totals and the period totals.
 *
 * Both work on a table R and a clone K of it, re-filtering the target for every source row:
 * accounts into the rows whose VOCE is the account's parent code; then level by level from
 * the deepest, items (not intermediate totals, not formulas) into their parent; then every
 * intermediate total gets the siblings with a smaller key; last the differences between
 * neighbouring sets. The deepest level goes first so that a parent receives its children's
 * amounts only after they have received theirs. With `perPeriodo` every target filter also
 * asks for the source row's PERIODO, so each period is totalled on its own.
 */
class RollUpImporti {
public:
    RollUpImporti(ErrorTrap& trap, Recordset& R, RecordsetPtr rstConfronto, bool perPeriodo);

    /// Accounts (TIPORECORD 'C') into every row whose VOCE is their VOCEPADRE.
    bool contiNelleVoci(Recordset& K);
    /// Levels LivelloMax down to 1; nothing when LivelloMax is Empty or Null.
    bool rollUp(Recordset& K, const Variant& livelloMax);
    /// Intermediate totals (TIPOVOCE 2); leaves R sorted on KEY_VOCE when it found some.
    bool totaliIntermedi(Recordset& K);
    /// The three tree steps in order, each on a fresh clone of R (K arrives as one): accounts
    /// into items, the level roll-up, intermediate totals. Leaves R unfiltered and K dropped.
    bool sommeAlbero(std::optional<Recordset>& K, const Variant& livelloMax);
    /// DELTA_IMPi and DELTA_PERCi of every row; a null budget object is an error.
    bool differenze(const BudgetObject* budget);

private:
    bool livello(Recordset& K, int lvl);
    bool sommaInTargetFiltrati(const Recordset& source);
    /// The literals of the target filters: the parent code of the source row (a row of R or
    /// of a clone), then its period when totalling by period. The list is refilled in place.
    const std::vector<FilterLiteral>& padreEPeriodo(const Recordset& source);

    ErrorTrap& m_trap;
    Recordset& m_R;
    RecordsetPtr m_confronto;
    bool m_perPeriodo;
    CampiConfronto m_campi; ///< of R, and so of its clones
    // The target filters, read once for every row they are set with.
    FilterTemplate m_filtroPadre;    ///< the node the source row's parent code names
    FilterTemplate m_filtroLivello;  ///< the same, when it is an item that adds up
    FilterTemplate m_filtroFratelli; ///< the siblings before an intermediate total
    std::vector<FilterLiteral> m_literali;
    CampoPerNome m_campoPadre{u"VOCEPADRE"};
    CampoPerNome m_campoPeriodo{u"PERIODO"};
};

/// Completes the criterion table in place: account amounts into their items, the roll-up
/// from the deepest level up, intermediate totals, formula items and the differences
/// between neighbouring comparison sets. `LivelloMax` is the deepest item level (Empty
/// when the criterion has no items); `caption` titles the messages and dialogs, the form's
/// caption (state.Caption) when empty.
/// Trapped under "BdgIntRic_RstCriterio_CalcolaTotali"; leaves the table unfiltered.
void BdgIntRic_RstCriterio_CalcolaTotali(FormState& state, const RecordsetPtr& RstCriterio,
                                         const RecordsetPtr& RstConfronto,
                                         const Variant& LivelloMax,
                                         const QString& caption = QString());

} // namespace bdg
