#include "engine/rst_periodi.h"

#include "engine/rst_criterio.h"
#include "engine/scrittura_riga.h"
#include "engine/totali_criterio.h"
#include "host/error_trap.h"
#include "host/form_state.h"

#include <stdexcept>

namespace bdg {

namespace {

const QString ProcDefinisciCriterioPeriodi =
    QStringLiteral("BdgIntRic_DefinisciRstCriterioPeriodi");
const QString ProcDefinisciPeriodi = QStringLiteral("BdgIntRic_DefinisciRstPeriodi");
const QString ProcPopola = QStringLiteral("BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio");
const QString ProcAggiorno = QStringLiteral("BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo");

RecordsetPtr definisciCriterioPeriodi(const FormState& state) {
    auto recordset = std::make_shared<Recordset>();
    AppendCampiNodo(*recordset, true);
    AppendCampiConfronto(*recordset, state.NrConfronti, Variant(int(state.NrDecimali)));
    recordset->Open();
    return recordset;
}

RecordsetPtr definisciPeriodi(const FormState& state) {
    auto recordset = std::make_shared<Recordset>();
    recordset->appendField(QStringLiteral("PERIODO"), FieldType::Integer);
    AppendCampiConfronto(*recordset, state.NrConfronti, Variant(int(state.NrDecimali)));
    recordset->Open();
    return recordset;
}

// Node fields copied to every period row: missing keys become 0 and missing texts empty,
// the type and level fields keep their Null. A row that fails halfway is dropped.
void copiaNodo(Recordset& target, const Recordset& node, int period) {
    const Variant emptyText = Variant(QString());
    NuovaRiga riga(target);
    target.setValue(u"KEY_VOCE", NVL(node.value(u"KEY_VOCE"), Variant(0)));
    target.setValue(u"KEY_VOCEPADRE", NVL(node.value(u"KEY_VOCEPADRE"), Variant(0)));
    target.setValue(u"VOCE", NVL(node.value(u"VOCE"), emptyText));
    target.setValue(u"VOCEPADRE", NVL(node.value(u"VOCEPADRE"), emptyText));
    target.setValue(u"PERIODO", Variant(period));
    target.setValue(u"VOCEDES", NVL(node.value(u"VOCEDES"), emptyText));
    for (const char16_t* field : {u"POSIZIONE", u"TIPOVOCE", u"TIPORECORD", u"CRI_LIVELLO"}) {
        target.setValue(QStringView(field), node.value(QStringView(field)));
    }
    riga.salva();
}

// Same nature of account: both Null, or the same number.
bool stessaNatura(const Variant& a, const Variant& b) {
    if (a.isNullOrEmpty() || b.isNullOrEmpty())
        return a.isNullOrEmpty() && b.isNullOrEmpty();
    return a.compare(b) == 0;
}

} // namespace

RecordsetPtr BdgIntRic_DefinisciRstCriterioPeriodi(FormState& state) {
    ErrorTrap trap(state, ProcDefinisciCriterioPeriodi);
    RecordsetPtr recordset;
    trap([&] { recordset = definisciCriterioPeriodi(state); });
    return recordset;
}

RecordsetPtr BdgIntRic_DefinisciRstPeriodi(FormState& state) {
    ErrorTrap trap(state, ProcDefinisciPeriodi);
    RecordsetPtr recordset;
    trap([&] { recordset = definisciPeriodi(state); });
    return recordset;
}

void BdgIntRic_PopolaRstCriterioPeriodiDaRstCriterio(FormState& state) {
    const RecordsetPtr criterio = state.RstCriterio;
    if (!criterio) {
        return;
    }
    ErrorTrap trap(state, ProcPopola);
    Recordset& source = *criterio;
    if (!trap([&] { source.clearFilter(); })) {
        return;
    }
    VisitaRighe(trap, source, [&] {
        if (!state.RstCriterioPeriodi) {
            throw std::runtime_error("tabella dei periodi non definita (RstCriterioPeriodi)");
        }
        // Each period row is its own statement: a retry adds only the row that failed.
        for (int period = 1; period <= state.NrPeriodi; ++period) {
            if (!trap([&] { copiaNodo(*state.RstCriterioPeriodi, source, period); })) {
                return;
            }
        }
    });
}

void BdgIntRic_RstCriterioPeriodi_AggiornoImportiPeriodo(FormState& state,
                                                         const RecordsetPtr& importi,
                                                         const NatureConti* nature) {
    const RecordsetPtr periodi = state.RstCriterioPeriodi;
    if (!periodi) {
        return;
    }
    ErrorTrap trap(state, ProcAggiorno);
    Recordset& conti = *periodi;
    if (!trap([&] {
            conti.clearFilter();
            conti.setFilter(QStringLiteral(" TIPORECORD = 'C' "));
        })) {
        return;
    }
    NomiCampiConfronto names;
    const Variant emptyText = Variant(QString());
    VisitaRighe(trap, conti, [&] {
        if (!importi) {
            throw std::runtime_error("nessun importo per conto e periodo da registrare");
        }
        // The account's rows of its own item only, and of the nature of its row.
        importi->clearFilter();
        importi->setFilter(QStringLiteral(" VOCE = ") +
                           FiltroTesto(NVL(conti.value(u"VOCEPADRE"), emptyText).toString()) +
                           QStringLiteral(" AND CONTO = ") +
                           FiltroTesto(NVL(conti.value(u"VOCE"), emptyText).toString()) +
                           QStringLiteral(" AND PERIODO = ") +
                           NVL(conti.value(u"PERIODO"), emptyText).toString());
        const auto natura =
            nature ? nature->find(conti.value(u"KEY_VOCE").toInt64().value_or(0)) : nullptr;
        VisitaRighe(trap, *importi, [&] {
            if (natura == nullptr || stessaNatura(importi->value(u"NATURA"), *natura)) {
                SommaImportiRiga(conti, *importi, state.NrConfronti, names);
            }
        });
    });
}

} // namespace bdg
