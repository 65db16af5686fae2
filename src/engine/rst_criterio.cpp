#include "engine/rst_criterio.h"

#include "host/error_trap.h"
#include "host/form_state.h"

namespace bdg {

namespace {

// Amounts hold 15 digits; the percentage keeps its historical declaration of precision 5
// with 6 decimals, which the table accepts as it is.
constexpr int AmountPrecision = 15;
constexpr int PercPrecision = 5;
constexpr int PercScale = 6;
constexpr int DefaultScale = 2;

void appendDecimal(Recordset& recordset, const QString& name, int precision, int scale) {
    recordset.appendField(name, FieldType::Decimal);
    const int index = recordset.fieldCount() - 1;
    recordset.setPrecision(index, precision);
    recordset.setNumericScale(index, scale);
}

int scaleOf(const Variant& nrDecimali) {
    if (nrDecimali.isNullOrEmpty()) {
        return DefaultScale;
    }
    return nrDecimali.toInt32().value_or(DefaultScale);
}

} // namespace

QString FieldImp(int setIndex) {
    return QStringLiteral("IMP") + QString::number(setIndex);
}

QString FieldDeltaImp(int setIndex) {
    return QStringLiteral("DELTA_IMP") + QString::number(setIndex);
}

QString FieldDeltaPerc(int setIndex) {
    return QStringLiteral("DELTA_PERC") + QString::number(setIndex);
}

void AppendCampiConfronto(Recordset& recordset, int nrConfronti, const Variant& nrDecimali) {
    const int scale = scaleOf(nrDecimali);
    for (int set = 1; set <= nrConfronti; ++set) {
        appendDecimal(recordset, FieldImp(set), AmountPrecision, scale);
        if (set == 1) {
            continue;
        }
        appendDecimal(recordset, FieldDeltaImp(set), AmountPrecision, scale);
        appendDecimal(recordset, FieldDeltaPerc(set), PercPrecision, PercScale);
    }
}

void AppendCampiNodo(Recordset& recordset, bool conPeriodo) {
    recordset.appendField(QStringLiteral("KEY_VOCE"), FieldType::BigInt, 0, false);
    recordset.appendField(QStringLiteral("KEY_VOCEPADRE"), FieldType::BigInt);
    recordset.appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    recordset.appendField(QStringLiteral("VOCEPADRE"), FieldType::WChar, 15);
    if (conPeriodo) {
        recordset.appendField(QStringLiteral("PERIODO"), FieldType::Integer);
    }
    recordset.appendField(QStringLiteral("VOCEDES"), FieldType::VarWChar, 240);
    appendDecimal(recordset, QStringLiteral("POSIZIONE"), 6, 0);
    appendDecimal(recordset, QStringLiteral("TIPOVOCE"), 2, 0);
    recordset.appendField(QStringLiteral("TIPORECORD"), FieldType::WChar, 1);
    appendDecimal(recordset, QStringLiteral("CRI_LIVELLO"), 6, 0);
}

RecordsetPtr BdgIntRic_DefinisciRstCriterio(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("BdgIntRic_DefinisciRstCriterio"));
    RecordsetPtr recordset;
    trap([&] {
        auto defined = std::make_shared<Recordset>();
        AppendCampiNodo(*defined, false);
        AppendCampiConfronto(*defined, state.NrConfronti, Variant(int(state.NrDecimali)));
        defined->Open();
        recordset = defined;
    });
    return recordset;
}

std::int32_t GetNrVociPerLivello(const Variant& count) {
    const std::int64_t rows = count.isNullOrEmpty() ? 0 : count.toInt64().value_or(0);
    std::int32_t result = 200;
    if (rows > 200 || rows < 0) {
        return result;
    }
    for (std::int32_t step = 200; step >= 0; step -= 10) {
        if (rows < step) {
            result = step;
        }
    }
    return result;
}

} // namespace bdg
