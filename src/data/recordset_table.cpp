#include "data/recordset_table.h"

#include <QChar>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>

namespace bdg {

namespace {

std::size_t caseInsensitiveHash(QStringView name) {
    std::size_t hash = 14695981039346656037ull;
    for (QChar ch : name) {
        hash = (hash ^ ch.toUpper().unicode()) * 1099511628211ull;
    }
    return hash;
}

std::uint64_t mix(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9ull;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

std::uint64_t numberKey(const Decimal& normal) {
    const auto low = std::uint64_t(normal.mantissa());
    const auto high = std::uint64_t(normal.mantissa() >> 64);
    return mix(low ^ mix(high ^ mix(std::uint64_t(normal.scale()) + 0x9e3779b97f4a7c15ull)));
}

// numberKey of a whole number, without building the decimal: the high half of its mantissa
// is the sign, the scale 0.
std::uint64_t wholeNumberKey(std::int64_t number) {
    static const std::uint64_t positive = mix(0 ^ mix(0x9e3779b97f4a7c15ull));
    static const std::uint64_t negative = mix(~std::uint64_t(0) ^ mix(0x9e3779b97f4a7c15ull));
    return mix(std::uint64_t(number) ^ (number < 0 ? negative : positive));
}

// Texts compare with trailing blanks ignored, so the key ignores them too (any white
// space: a wider notion of blank only makes a bucket larger, never misses a row).
std::uint64_t textKey(QStringView view) {
    while (!view.isEmpty() && view.back().isSpace()) {
        view.chop(1);
    }
    return mix(qHash(view, 0x5bd1e995u) + 1);
}

QString fieldMessage(const FieldDef& def, const QString& what) {
    return QStringLiteral("Valore non valido per il campo \"%1\": %2").arg(def.name, what);
}

[[noreturn]] void refuse(const FieldDef& def, const QString& what) {
    throw RecordsetError(fieldMessage(def, what).toStdString());
}

Decimal numberOf(const FieldDef& def, const Variant& value) {
    if (value.isText()) {
        auto parsed = Decimal::fromString(value.toString());
        if (!parsed) {
            refuse(def, QStringLiteral("\"%1\" non è un numero").arg(value.toString()));
        }
        return *parsed;
    }
    auto number = value.toDecimal();
    if (!number) {
        refuse(def, QStringLiteral("\"%1\" non è un numero").arg(value.toString()));
    }
    return *number;
}

Variant integerOf(const FieldDef& def, const Variant& value, std::int64_t low, std::int64_t high) {
    // Keys and periods arrive as the numbers they are stored as.
    if ((value.type() == Variant::Type::Int32 && def.type == FieldType::Integer) ||
        (value.type() == Variant::Type::Int64 && def.type == FieldType::BigInt)) {
        return value;
    }
    const Decimal number = numberOf(def, value);
    if (number.normalized().scale() > 0) {
        refuse(def, QStringLiteral("%1 non è un numero intero").arg(number.toString()));
    }
    const auto whole = number.toInt64();
    if (!whole || *whole < low || *whole > high) {
        refuse(def, QStringLiteral("%1 è fuori dall'intervallo ammesso").arg(number.toString()));
    }
    if (def.type == FieldType::Integer) {
        return Variant(int(*whole));
    }
    return Variant(*whole);
}

// Whether a value of the field's scale fits its precision: a scale at or above the precision
// (percentages declared 5, 6) leaves no room for integer digits at all; such fields take
// whatever fits the scale.
bool fitsPrecision(const FieldDef& def, const Decimal& rounded) {
    return def.precision <= 0 || def.scale >= def.precision ||
           rounded.fits(def.precision, def.scale);
}

Variant decimalOf(const FieldDef& def, const Variant& value) {
    // Sums and differences arrive as decimals of the field's scale already.
    if (const Decimal* held = value.decimalValue();
        held && held->scale() == def.scale && fitsPrecision(def, *held))
        return value;
    const Decimal number = numberOf(def, value);
    try {
        const Decimal rounded = number.rescaled(def.scale, Rounding::HalfAwayFromZero);
        if (!fitsPrecision(def, rounded)) {
            refuse(def, QStringLiteral("%1 %2 %3 con %4 decimali")
                            .arg(number.toString(), PrecisionExceeded)
                            .arg(def.precision)
                            .arg(def.scale));
        }
        return Variant(rounded);
    } catch (const DecimalError& error) {
        refuse(def, QString::fromStdString(error.what()));
    }
}

Variant textOf(const FieldDef& def, const Variant& value) {
    QString text = value.toString();
    if (def.definedSize > 0 && text.size() > def.definedSize) {
        // A text of thousands of characters says no more in full than its beginning.
        const QString shown = text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
        refuse(def, QStringLiteral("il testo \"%1\" ha %2 caratteri, il massimo è %3")
                        .arg(shown)
                        .arg(text.size())
                        .arg(def.definedSize));
    }
    return Variant(text);
}

} // namespace

void RecordsetTable::appendField(FieldDef def) {
    m_nameHashes.push_back(caseInsensitiveHash(def.name));
    m_fields.push_back(std::move(def));
    m_indexes.emplace_back();
    m_fieldWrites.push_back(0);
    m_values.setWidth(m_fields.size());
}

void RecordsetTable::open() {
    m_required.clear();
    for (int field = 0; field < fieldCount(); ++field) {
        if (!m_fields[std::size_t(field)].nullable)
            m_required.push_back(field);
    }
    m_open = true;
}

std::optional<int> RecordsetTable::fieldIndex(QStringView name) const {
    // A name met before at the same place is the same field if it still reads the same: the
    // compare guards against a text freed and another one written there.
    RecentName& recent =
        m_recentNames[(std::uintptr_t(name.data()) / sizeof(QChar) + std::size_t(name.size())) %
                      RecentNames];
    if (recent.data == name.data() && recent.size == name.size() && recent.field >= 0 &&
        name == QStringView(m_fields[std::size_t(recent.field)].name)) {
        return recent.field;
    }
    const std::optional<int> field = lookUpField(name);
    if (field && name == QStringView(m_fields[std::size_t(*field)].name)) {
        recent = RecentName{name.data(), name.size(), *field};
    }
    return field;
}

std::optional<int> RecordsetTable::lookUpField(QStringView name) const {
    // The procedures name fields as they were defined, once or more per row: an exact match
    // costs a length test and a compare, where the case-blind hash upper-cases every letter.
    // The last letter goes first, as the per-set fields (IMP1, IMP2, ...) differ only there.
    for (std::size_t index = 0; index < m_fields.size(); ++index) {
        const QString& defined = m_fields[index].name;
        if (name.size() == defined.size() && !name.isEmpty() && name.back() == defined.back() &&
            name == QStringView(defined)) {
            return int(index);
        }
    }
    const std::size_t hash = caseInsensitiveHash(name);
    for (std::size_t index = 0; index < m_fields.size(); ++index) {
        if (m_nameHashes[index] == hash &&
            name.compare(m_fields[index].name, Qt::CaseInsensitive) == 0) {
            return int(index);
        }
    }
    return std::nullopt;
}

Variant RecordsetTable::coerce(int field, const Variant& value) const {
    const FieldDef& def = m_fields[std::size_t(field)];
    if (value.isNullOrEmpty()) {
        return Variant::null();
    }
    switch (def.type) {
    case FieldType::Integer:
        return integerOf(def, value, INT32_MIN, INT32_MAX);
    case FieldType::BigInt:
        return integerOf(def, value, INT64_MIN, INT64_MAX);
    case FieldType::Decimal:
        return decimalOf(def, value);
    case FieldType::Double:
        if (value.type() == Variant::Type::Double) {
            return value;
        }
        return Variant(numberOf(def, value).toDouble());
    case FieldType::Boolean: {
        const auto flag = value.toBool();
        if (!flag) {
            refuse(def, QStringLiteral("\"%1\" non è un valore logico").arg(value.toString()));
        }
        return Variant(*flag);
    }
    case FieldType::WChar:
    case FieldType::VarWChar:
        return textOf(def, value);
    }
    return value;
}

RecordsetTable::~RecordsetTable() = default;

RowId RecordsetTable::appendRow(std::vector<Variant> values) {
    const RowId row = rowCount();
    m_deleted.push_back(0);
    Variant* slot = nullptr;
    try {
        slot = m_values.appendRow();
    } catch (...) {
        m_deleted.pop_back();
        throw;
    }
    // Moving values cannot fail: the row is complete once it is listed.
    std::move(values.begin(), values.begin() + std::ptrdiff_t(m_fields.size()), slot);
    ++m_liveCount;
    ++m_rowChanges;
    for (int field = 0; m_anyIndex && field < fieldCount(); ++field) {
        Index* index = indexOf(field);
        if (!index) {
            continue;
        }
        if (auto key = indexKey(value(row, field))) {
            (*index)[*key].push_back(row); // the newest row is the largest: order holds
        }
    }
    return row;
}

void RecordsetTable::setValue(RowId row, int field, Variant value, Variant* previous) {
    Variant& slot = m_values.row(std::size_t(row))[field];
    ++m_fieldWrites[std::size_t(field)];
    if (Index* index = indexOf(field)) {
        const auto oldKey = indexKey(slot);
        const auto newKey = indexKey(value);
        if (oldKey != newKey) {
            if (oldKey) {
                removeFrom(*index, *oldKey, row);
            }
            if (newKey) {
                insertInto(*index, *newKey, row);
            }
        }
    }
    if (previous)
        *previous = std::move(slot);
    slot = std::move(value);
}

void RecordsetTable::deleteRow(RowId row) {
    if (isDeleted(row)) {
        return;
    }
    for (int field = 0; m_anyIndex && field < fieldCount(); ++field) {
        Index* index = indexOf(field);
        if (!index) {
            continue;
        }
        if (auto key = indexKey(value(row, field))) {
            removeFrom(*index, *key, row);
        }
    }
    m_deleted[std::size_t(row)] = 1;
    --m_liveCount;
    ++m_deleteCount;
    ++m_rowChanges;
}

void RecordsetTable::setIndexesEnabled(bool enabled) {
    m_indexesEnabled = enabled;
    if (!enabled) {
        for (auto& index : m_indexes) {
            index.reset(); // nothing to keep valid while nobody asks
        }
        m_anyIndex = false;
    }
}

bool RecordsetTable::isIndexable(int field) const {
    // Doubles compare by binary value and Booleans by -1/0: a scan is as good there.
    switch (m_fields[std::size_t(field)].type) {
    case FieldType::Integer:
    case FieldType::BigInt:
    case FieldType::Decimal:
    case FieldType::WChar:
    case FieldType::VarWChar:
        return true;
    case FieldType::Double:
    case FieldType::Boolean:
        return false;
    }
    return false;
}

const std::vector<RowId>& RecordsetTable::candidates(int field, const Variant& literal) {
    static const Bucket none;
    if (!m_indexes[std::size_t(field)]) {
        buildIndex(field);
    }
    const auto key = indexKey(literal);
    if (!key) {
        return none;
    }
    const Index& index = *m_indexes[std::size_t(field)];
    const auto found = index.find(*key);
    return found == index.end() ? none : found->second;
}

void RecordsetTable::buildIndex(int field) {
    auto index = std::make_unique<Index>();
    for (RowId row = 0; row < rowCount(); ++row) {
        if (isDeleted(row)) {
            continue;
        }
        if (auto key = indexKey(value(row, field))) {
            (*index)[*key].push_back(row);
        }
    }
    m_indexes[std::size_t(field)] = std::move(index);
    m_anyIndex = true;
}

RecordsetTable::Index* RecordsetTable::indexOf(int field) {
    return m_indexes[std::size_t(field)].get();
}

std::optional<std::uint64_t> RecordsetTable::indexKey(const Variant& value) {
    switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        return std::nullopt; // a Null field satisfies no comparison, equality included
    case Variant::Type::Int32:
    case Variant::Type::Int64:
        return wholeNumberKey(*value.toInt64());
    case Variant::Type::Decimal: {
        return numberKey(value.toDecimal()->normalized());
    }
    case Variant::Type::Text:
        return textKey(value.textView());
    case Variant::Type::Boolean:
    case Variant::Type::Double:
        break;
    }
    return std::nullopt;
}

void RecordsetTable::insertInto(Index& index, std::uint64_t key, RowId row) {
    Bucket& bucket = index[key];
    if (bucket.empty() || bucket.back() < row) {
        bucket.push_back(row);
        return;
    }
    bucket.insert(std::lower_bound(bucket.begin(), bucket.end(), row), row);
}

void RecordsetTable::removeFrom(Index& index, std::uint64_t key, RowId row) {
    const auto found = index.find(key);
    if (found == index.end()) {
        return;
    }
    Bucket& bucket = found->second;
    const auto at = std::lower_bound(bucket.begin(), bucket.end(), row);
    if (at != bucket.end() && *at == row) {
        bucket.erase(at);
    }
    if (bucket.empty()) {
        index.erase(found);
    }
}

} // namespace bdg
