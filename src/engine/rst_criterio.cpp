#include "engine/rst_criterio.h"

#include "host/error_trap.h"
#include "host/form_state.h"

#include <limits>

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

void appendCampiNodo(Recordset& recordset) {
    recordset.appendField(QStringLiteral("KEY_VOCE"), FieldType::Integer, 0, false);
    recordset.appendField(QStringLiteral("KEY_VOCEPADRE"), FieldType::Integer);
    recordset.appendField(QStringLiteral("VOCE"), FieldType::WChar, 15);
    recordset.appendField(QStringLiteral("VOCEPADRE"), FieldType::WChar, 15);
    recordset.appendField(QStringLiteral("VOCEDES"), FieldType::VarWChar, 240);
    appendDecimal(recordset, QStringLiteral("POSIZIONE"), 6, 0);
    appendDecimal(recordset, QStringLiteral("TIPOVOCE"), 2, 0);
    recordset.appendField(QStringLiteral("TIPORECORD"), FieldType::WChar, 1);
    appendDecimal(recordset, QStringLiteral("CRI_LIVELLO"), 6, 0);
}

QString keyText(std::int64_t key) {
    return QString::number(key);
}

[[noreturn]] void throwTooLarge(const QString& what) {
    throw KeyVoceError(QStringLiteral("La chiave %1 supera il limite di %2: il criterio ha troppi "
                                      "livelli o troppe voci per livello.")
                           .arg(what, keyText(std::numeric_limits<std::int32_t>::max()))
                           .toStdString());
}

// base * factor + offset in 64 bits, refused when it leaves the 32-bit range of KEY_VOCE.
std::int32_t composeKey(std::int64_t base, std::int64_t factor, std::int64_t offset,
                        const QString& what) {
    std::int64_t key = 0;
    if (__builtin_mul_overflow(base, factor, &key) || __builtin_add_overflow(key, offset, &key)) {
        throwTooLarge(what);
    }
    if (key > std::numeric_limits<std::int32_t>::max() || key < 0) {
        throwTooLarge(what);
    }
    return static_cast<std::int32_t>(key);
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

RecordsetPtr BdgIntRic_DefinisciRstCriterio(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("BdgIntRic_DefinisciRstCriterio"));
    RecordsetPtr recordset;
    trap([&] {
        auto defined = std::make_shared<Recordset>();
        appendCampiNodo(*defined);
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

std::int32_t KeyVoceItem(std::int64_t parentKey, std::int32_t multiplier, std::int64_t position,
                         const QString& voce) {
    if (position < 1 || position >= multiplier) {
        throw KeyVoceError(QStringLiteral("La posizione %1 della voce %2 non è compresa tra 1 e "
                                          "%3: la voce si confonderebbe con le voci vicine.")
                               .arg(keyText(position), voce, keyText(multiplier - 1))
                               .toStdString());
    }
    return composeKey(parentKey, multiplier, position, QStringLiteral("della voce %1").arg(voce));
}

std::int32_t KeyVoceConto(std::int64_t itemKey, std::int64_t ordinal, const QString& voce,
                          const QString& conto) {
    if (ordinal < 1 || ordinal >= KeyVoceContiPerVoce) {
        throw KeyVoceError(QStringLiteral("Il conto %1 è il numero %2 della voce %3: una voce può "
                                          "avere al massimo %4 conti.")
                               .arg(conto, keyText(ordinal), voce, keyText(KeyVoceContiPerVoce - 1))
                               .toStdString());
    }
    return composeKey(itemKey, KeyVoceContiPerVoce, ordinal,
                      QStringLiteral("del conto %1 della voce %2").arg(conto, voce));
}

} // namespace bdg
