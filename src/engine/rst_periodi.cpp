#include "engine/rst_periodi.h"

#include "engine/rst_criterio.h"
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

void appendDecimal(Recordset& recordset, const QString& name, int precision, int scale) {
    recordset.appendField(name, FieldType::Decimal);
    const int index = recordset.fieldCount() - 1;
    recordset.setPrecision(index, precision);
    recordset.setNumericScale(index, scale);
}

RecordsetPtr definisciCriterioPeriodi(const FormState& state) {
    auto recordset = std::make_shared<Recordset>();
    recordset->appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer, 0, false);
    recordset->appendField(QStringLiteral("KEY_VOCEPADRE"), FieldType::Integer);
    recordset->appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    recordset->appendField(QStringLiteral("VOCEPADRE"), FieldType::WChar, 15);
    recordset->appendField(QStringLiteral("PERIODO"), FieldType::Integer);
    recordset->appendField(QStringLiteral("VOCEDES"), FieldType::VarWChar, 240);
    appendDecimal(*recordset, QStringLiteral("POSIZIONE"), 6, 0);
    appendDecimal(*recordset, QStringLiteral("TIPOVOCE"), 2, 0);
    recordset->appendField(QStringLiteral("TIPORECORD"), FieldType::WChar, 1);
    appendDecimal(*recordset, QStringLiteral("CRI_LIVELLO"), 6, 0);
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
// the type and level fields keep their Null.
void copiaNodo(Recordset& target, const Recordset& node, int period) {
    const Variant emptyText = Variant(QString());
    target.AddNew();
    target.setValue(u"KEY_VOCE", NVL(node.value(u"KEY_VOCE"), Variant(0)));
    target.setValue(u"KEY_VOCEPADRE", NVL(node.value(u"KEY_VOCEPADRE"), Variant(0)));
    target.setValue(u"VOCE", NVL(node.value(u"VOCE"), emptyText));
    target.setValue(u"VOCEPADRE", NVL(node.value(u"VOCEPADRE"), emptyText));
    target.setValue(u"PERIODO", Variant(period));
    target.setValue(u"VOCEDES", NVL(node.value(u"VOCEDES"), emptyText));
    for (const char16_t* field : {u"POSIZIONE", u"TIPOVOCE", u"TIPORECORD", u"CRI_LIVELLO"}) {
        target.setValue(QStringView(field), node.value(QStringView(field)));
    }
    target.Update();
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
                                                         const RecordsetPtr& importi) {
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
    VisitaRighe(trap, conti, [&] {
        if (!importi) {
            throw std::runtime_error("nessun importo per conto e periodo da registrare");
        }
        importi->clearFilter();
        importi->setFilter(QStringLiteral(" CONTO = ") +
                           FiltroTesto(NVL(conti.value(u"VOCE"), Variant(QString())).toString()) +
                           QStringLiteral(" AND PERIODO = ") +
                           NVL(conti.value(u"PERIODO"), Variant(QString())).toString());
        VisitaRighe(trap, *importi,
                    [&] { SommaImportiRiga(conti, *importi, state.NrConfronti, names); });
    });
}

} // namespace bdg
