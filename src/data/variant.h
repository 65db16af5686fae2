#pragma once

#include "data/decimal.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>
#include <type_traits>
#include <variant>

namespace bdg {

/// The value of a field, a form variable or a parameter.
///
/// Empty (never assigned) and Null (assigned "no value") are kept apart, as the
/// procedures test them differently. Amounts are Decimal; Double exists only for what
/// a database or the formula engine hands over.
class Variant {
public:
    enum class Type { Empty, Null, Boolean, Int32, Int64, Decimal, Double, Text };

    Variant() = default;
    static Variant null();
    Variant(bool value) : m_value(value) {}
    Variant(int value) : m_value(std::int32_t(value)) {}
    Variant(std::int64_t value) : m_value(value) {}
    /// qint64 (long long) where std::int64_t is long: without it such a call is ambiguous.
    template <typename T, std::enable_if_t<std::is_same_v<T, long long> &&
                                               !std::is_same_v<long long, std::int64_t>,
                                           int> = 0>
    Variant(T value) : m_value(std::int64_t(value)) {}
    Variant(const Decimal& value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(const QString& value) : m_value(value) {}
    Variant(const char* value) : m_value(QString::fromUtf8(value)) {}

    /// The alternatives are declared in the order of Type, so the index is the type.
    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    /// Empty or Null.
    bool isNullOrEmpty() const { return isEmpty() || isNull(); }
    /// Null, Empty or a text of blanks only: what NVL replaces.
    bool isNullOrBlank() const;
    /// Int32, Int64, Decimal or Double; a Boolean is not, though it reads as -1/0.
    bool isNumeric() const;
    bool isText() const { return type() == Type::Text; }

    /// Text form: invariant numbers ("1234.5", decimals with their scale), "True"/"False",
    /// "" for Empty and Null. Doubles are written with their shortest round-trip digits,
    /// plainly from 1e-7 to 1e21 and with an exponent beyond ("1e+21"), as the formula
    /// engine writes them.
    QString toString() const;
    /// The decimal held, without copying it; null for any other kind of value.
    const Decimal* decimalValue() const { return std::get_if<Decimal>(&m_value); }
    /// The characters of a text, without copying them; empty for any other kind of value.
    QStringView textView() const {
        const QString* text = std::get_if<QString>(&m_value);
        return text ? QStringView(*text) : QStringView();
    }
    /// Text form of numbers in `locale` without grouping ("1234,5" in Italian).
    QString toString(const QLocale& locale) const;
    /// Numeric value: numbers as they are, text parsed with '.' or ',' as decimal
    /// separator, booleans as -1/0; nothing for Empty, Null and non-numeric text.
    std::optional<Decimal> toDecimal() const;
    /// As toDecimal, limited to the 32-bit range (fractions refused).
    std::optional<std::int32_t> toInt32() const;
    /// As toInt32, in the 64-bit range.
    std::optional<std::int64_t> toInt64() const;
    /// Numbers and numeric text as the nearest double; booleans as -1/0.
    std::optional<double> toDouble() const;
    /// Booleans as they are, numbers non-zero, text "true"/"false" and numbers.
    std::optional<bool> toBool() const;

    /// Order used by filters and sorts: Empty and Null first (equal to each other), then
    /// numbers by value (across types), then texts (binary, trailing blanks ignored);
    /// booleans compare as numbers (True = -1).
    int compare(const Variant& other) const;
    /// Same value in the sense of compare() == 0, except that Null never equals a value.
    bool operator==(const Variant& other) const { return compare(other) == 0; }

private:
    QString toText(QChar decimalPoint) const;
    /// The value of an Int32 or Int64, nothing for every other type.
    std::optional<std::int64_t> wholeNumber() const;

    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    std::variant<std::monostate, NullTag, bool, std::int32_t, std::int64_t, Decimal, double,
                 QString>
        m_value;
};

/// Substitute for a missing value: `ifNull` when `value` is Empty, Null or a text of
/// blanks only; otherwise `value` unchanged (0 is a value).
Variant NVL(const Variant& value, const Variant& ifNull);

} // namespace bdg
