#include "engine/totali_criterio.h"

#include "engine/formula_evaluator.h"
#include "engine/rst_criterio.h"
#include "engine/scrittura_riga.h"
#include "host/budget_object.h"
#include "host/error_trap.h"
#include "host/form_state.h"

#include <optional>
#include <stdexcept>
#include <utility>

namespace bdg {

namespace {

const QString ProcCalcolaTotali = QStringLiteral("BdgIntRic_RstCriterio_CalcolaTotali");

// A blank: the value that stands for a missing parent code in the target filters, so that a
// node without a parent finds no target instead of breaking the filter.
const Variant Blank = Variant(QStringLiteral(" "));

QString filtroLivello(int lvl) {
    return QStringLiteral(" CRI_LIVELLO = ") + QString::number(lvl) +
           QStringLiteral(" AND TIPORECORD <> 'C' ") + QStringLiteral(" AND TIPOVOCE <> 2 ") +
           QStringLiteral(" AND TIPOVOCE <> 3 ");
}

int livelloDa(const Variant& livelloMax) {
    const auto level = livelloMax.toInt32();
    if (!level) {
        throw std::runtime_error(QStringLiteral("livello massimo non numerico: '%1'")
                                     .arg(livelloMax.toString())
                                     .toStdString());
    }
    return *level;
}

} // namespace

RollUpImporti::RollUpImporti(ErrorTrap& trap, Recordset& R, RecordsetPtr rstConfronto,
                             bool perPeriodo)
    : m_trap(trap), m_R(R), m_confronto(std::move(rstConfronto)), m_perPeriodo(perPeriodo),
      m_filtroPadre(QStringLiteral("VOCE = ?") +
                    (perPeriodo ? QStringLiteral(" AND PERIODO = ?") : QString())),
      m_filtroLivello(m_filtroPadre.pattern() + QStringLiteral(" AND TIPOVOCE <> 2 ") +
                      QStringLiteral(" AND TIPOVOCE <> 3 ")),
      m_filtroFratelli(QStringLiteral(" VOCEPADRE = ?") +
                       (perPeriodo ? QStringLiteral(" AND PERIODO = ?") : QString()) +
                       QStringLiteral(" AND KEY_VOCE < ?") +
                       QStringLiteral(" AND TIPOVOCE <> 2 ")) {}

const std::vector<FilterLiteral>& RollUpImporti::padreEPeriodo(const Recordset& source) {
    m_literali.resize(m_perPeriodo ? 2 : 1);
    m_literali[0] = {NVL(source.value(m_campoPadre.in(source)), Blank).toString(), true};
    if (m_perPeriodo)
        m_literali[1] = {NVL(source.value(m_campoPeriodo.in(source)), Blank).toString(), false};
    return m_literali;
}

// Adds the current row of `source` into every row of R that the filter left visible. An
// abort inside closes the trap, which ends the visit of the source rows too.
bool RollUpImporti::sommaInTargetFiltrati(const Recordset& source) {
    return VisitaRighe(m_trap, m_R, [&] {
        SommaImportiRiga(m_R, m_campi, source, m_campi, NrConfrontiDa(m_confronto));
    });
}

bool RollUpImporti::contiNelleVoci(Recordset& K) {
    bool rows = false;
    if (!m_trap([&] {
            K.clearFilter();
            K.setFilter(QStringLiteral(" TIPORECORD = 'C' "));
        }) ||
        !HaRighe(m_trap, K, rows)) {
        return false;
    }
    if (!rows) {
        return true;
    }
    if (!m_trap([&] { K.setSort(QStringLiteral("VOCEPADRE")); })) {
        return false;
    }
    return VisitaRighe(m_trap, K, [&] {
        m_R.clearFilter();
        m_R.setFilter(m_filtroPadre, padreEPeriodo(K));
        sommaInTargetFiltrati(K);
    });
}

bool RollUpImporti::livello(Recordset& K, int lvl) {
    bool rows = false;
    if (!m_trap([&] {
            K.clearFilter();
            K.setFilter(filtroLivello(lvl));
        }) ||
        !HaRighe(m_trap, K, rows)) {
        return false;
    }
    if (!rows) {
        return true;
    }
    if (!m_trap([&] { K.setSort(QStringLiteral("KEY_VOCE")); })) {
        return false;
    }
    return VisitaRighe(m_trap, K, [&] {
        // The parent filter extended with the period and the item types, set in one go.
        m_R.clearFilter();
        m_R.setFilter(m_filtroLivello, padreEPeriodo(K));
        sommaInTargetFiltrati(K);
    });
}

bool RollUpImporti::rollUp(Recordset& K, const Variant& livelloMax) {
    if (livelloMax.isNullOrEmpty()) {
        return true;
    }
    int deepest = 0;
    if (!m_trap([&] { deepest = livelloDa(livelloMax); })) {
        return false;
    }
    for (int lvl = deepest; lvl >= 1; --lvl) {
        if (!livello(K, lvl)) {
            return false;
        }
    }
    return true;
}

// An intermediate total adds every sibling with a smaller key that is not itself an
// intermediate total: account rows and formula items under the same parent included (the
// formulas are still empty at this point).
bool RollUpImporti::totaliIntermedi(Recordset& K) {
    bool rows = false;
    if (!m_trap([&] {
            m_R.clearFilter();
            m_R.setFilter(QStringLiteral(" TIPOVOCE = 2 "));
        }) ||
        !HaRighe(m_trap, m_R, rows)) {
        return false;
    }
    if (!rows) {
        return true;
    }
    if (!m_trap([&] { m_R.setSort(QStringLiteral("KEY_VOCE")); })) {
        return false;
    }
    return VisitaRighe(m_trap, m_R, [&] {
        padreEPeriodo(m_R);
        m_literali.push_back({NVL(m_R.value(u"KEY_VOCE"), Variant(0)).toString(), false});
        K.clearFilter();
        K.setFilter(m_filtroFratelli, m_literali);
        VisitaRighe(m_trap, K, [&] {
            SommaImportiRiga(m_R, m_campi, K, m_campi, NrConfrontiDa(m_confronto));
        });
    });
}

bool RollUpImporti::sommeAlbero(std::optional<Recordset>& K, const Variant& livelloMax) {
    if (!contiNelleVoci(*K)) {
        return false;
    }
    if (!m_trap([&] {
            m_R.clearFilter();
            K.emplace(m_R.Clone());
        }) ||
        !rollUp(*K, livelloMax)) {
        return false;
    }
    if (!m_trap([&] {
            m_R.clearFilter();
            K.emplace(m_R.Clone());
            m_R.clearFilter();
        }) ||
        !totaliIntermedi(*K)) {
        return false;
    }
    return m_trap([&] {
        m_R.clearFilter();
        K.reset();
    });
}

bool RollUpImporti::differenze(const BudgetObject* budget) {
    if (!m_trap([&] { m_R.clearFilter(); })) {
        return false;
    }
    return VisitaRighe(m_trap, m_R, [&] {
        if (budget == nullptr) {
            throw std::runtime_error("oggetto budget non impostato (ObjBudget)");
        }
        CalcolaDifferenzeRiga(m_R, *budget, NrConfrontiDa(m_confronto), m_campi);
    });
}

bool HaRighe(ErrorTrap& trap, const Recordset& cursor, bool& rows) {
    return trap([&] { rows = cursor.RecordCount() > 0; });
}

bool IsImportoValorizzato(const Variant& value) {
    // Numbers never write as an empty text: only a text can, so only a text is converted.
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        return false;
    case Variant::Type::Boolean:
    case Variant::Type::Int32:
    case Variant::Type::Int64:
    case Variant::Type::Decimal:
        return true;
    default:
        return !value.toString().isEmpty();
    }
}

Variant SommaImporto(const Variant& target, const Variant& addend, const QString& field) {
    const auto base = NVL(target, Variant(0)).toDecimal();
    const auto add = addend.toDecimal();
    if (!base || !add) {
        throw std::runtime_error(QStringLiteral("importo non numerico nel campo %1: '%2' + '%3'")
                                     .arg(field, target.toString(), addend.toString())
                                     .toStdString());
    }
    return Variant(*base + *add);
}

void NomiCampiConfronto::grow(int set) {
    while (int(m_imp.size()) < set) {
        const int next = int(m_imp.size()) + 1;
        m_imp.push_back(FieldImp(next));
        m_deltaImp.push_back(FieldDeltaImp(next));
        m_deltaPerc.push_back(FieldDeltaPerc(next));
    }
}

const QString& NomiCampiConfronto::imp(int set) {
    grow(set);
    return m_imp[std::size_t(set - 1)];
}

const QString& NomiCampiConfronto::deltaImp(int set) {
    grow(set);
    return m_deltaImp[std::size_t(set - 1)];
}

const QString& NomiCampiConfronto::deltaPerc(int set) {
    grow(set);
    return m_deltaPerc[std::size_t(set - 1)];
}

int CampiConfronto::posizione(std::vector<int>& posizioni, const Recordset& recordset, int set,
                              const QString& (NomiCampiConfronto::*nome)(int)) {
    if (int(posizioni.size()) < set)
        posizioni.resize(std::size_t(set), -1);
    int& posizione = posizioni[std::size_t(set - 1)];
    if (posizione < 0)
        posizione = recordset.requireField((m_nomi.*nome)(set));
    return posizione;
}

int CampiConfronto::imp(const Recordset& recordset, int set) {
    return posizione(m_imp, recordset, set, &NomiCampiConfronto::imp);
}

int CampiConfronto::deltaImp(const Recordset& recordset, int set) {
    return posizione(m_deltaImp, recordset, set, &NomiCampiConfronto::deltaImp);
}

int CampiConfronto::deltaPerc(const Recordset& recordset, int set) {
    return posizione(m_deltaPerc, recordset, set, &NomiCampiConfronto::deltaPerc);
}

// The new values of every set are worked out first and written together, so that an error
// on one set (an amount that does not fit its field) leaves the whole row as it was.
void SommaImportiRiga(Recordset& target, CampiConfronto& campiTarget, const Recordset& source,
                      CampiConfronto& campiSource, int nrConfronti) {
    ModificaRiga& modifica = campiTarget.modifica();
    for (int set = 1; set <= nrConfronti; ++set) {
        const Variant& addend = source.value(campiSource.imp(source, set));
        if (IsImportoValorizzato(addend)) {
            const int field = campiTarget.imp(target, set);
            modifica.imposta(
                field, SommaImporto(target.value(field), addend, campiTarget.nomi().imp(set)));
        }
    }
    modifica.scrivi(target);
}

void CalcolaDifferenzeRiga(Recordset& recordset, const BudgetObject& budget, int nrConfronti,
                           CampiConfronto& campi) {
    const Variant missing = Variant::null();
    ModificaRiga& modifica = campi.modifica();
    // Each set's amount is the next set's reference: read once.
    Variant reference =
        nrConfronti >= 2 ? NVL(recordset.value(campi.imp(recordset, 1)), missing) : missing;
    for (int set = 2; set <= nrConfronti; ++set) {
        const Variant value = NVL(recordset.value(campi.imp(recordset, set)), missing);
        // The budget object's answers depend on the two amounts alone: each operation is
        // asked once and its answer serves both the test and the value.
        const Variant delta = budget.Delta(value, reference);
        if (IsImportoValorizzato(delta)) {
            const int field = campi.deltaImp(recordset, set);
            modifica.imposta(
                field, SommaImporto(recordset.value(field), delta, campi.nomi().deltaImp(set)));
        }
        const Variant deltaPerc = budget.DeltaPerc(value, reference);
        if (IsImportoValorizzato(deltaPerc)) {
            modifica.imposta(campi.deltaPerc(recordset, set), NVL(deltaPerc, Variant(0)));
        }
        reference = value;
    }
    modifica.scrivi(recordset);
}

int NrConfrontiDa(const RecordsetPtr& rstConfronto) {
    if (!rstConfronto) {
        throw std::runtime_error("tabella dei confronti non definita (RstConfronto)");
    }
    return rstConfronto->RecordCount();
}

QString FiltroTesto(const QString& text) {
    return FilterLiteral{text, true}.written();
}

void BdgIntRic_RstCriterio_CalcolaTotali(FormState& state, const RecordsetPtr& RstCriterio,
                                         const RecordsetPtr& RstConfronto,
                                         const Variant& LivelloMax, const QString& caption) {
    if (!RstCriterio) {
        return;
    }
    ErrorTrap trap(state, ProcCalcolaTotali, caption);
    Recordset& R = *RstCriterio;
    bool rows = false;
    if (!trap([&] { R.clearFilter(); }) || !HaRighe(trap, R, rows) || !rows) {
        return;
    }
    RollUpImporti totali(trap, R, RstConfronto, false);
    std::optional<Recordset> K;
    if (!trap([&] { K.emplace(R.Clone()); }) || !totali.sommeAlbero(K, LivelloMax)) {
        return;
    }
    BdgIntRic_CalcolaTotaliFormula(state, caption);
    totali.differenze(state.ObjBudget);
}

} // namespace bdg
