#include "data/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace bdg {

// Tables hold one Variant per field and row: the largest alternatives (a text, a decimal)
// take 24 bytes, the type tag the rest.
static_assert(sizeof(Variant) <= 32);

namespace {

// Texts are padded with blanks by fixed-width columns; compare and NVL ignore them.
QStringView withoutTrailingBlanks(QStringView text) {
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

// Shortest text that reads back as the same double; plain digits in the range where a
// person reads them (as the formula engine writes numbers), an exponent outside it.
QString doubleText(double value, QChar decimalPoint) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (value == 0) // no "-0" on screen
        return QStringLiteral("0");
    char buffer[400];
    const double size = std::fabs(value);
    const bool plain = size >= 1e-7 && size < 1e21;
    const auto result =
        plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
              : std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (decimalPoint != u'.')
        text.replace(u'.', decimalPoint);
    return text;
}

// Where a value sorts: missing values first, then numbers, then texts.
enum class Rank { Missing, Number, Text };

Rank rankOf(Variant::Type type) {
    switch (type) {
    case Variant::Type::Empty:
    case Variant::Type::Null:
        return Rank::Missing;
    case Variant::Type::Text:
        return Rank::Text;
    default:
        return Rank::Number;
    }
}

int fromOrdering(std::strong_ordering order) {
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// NaN sorts before every other double and equals itself, so that sorts stay consistent.
int compareDoubles(double left, double right) {
    const bool leftNan = std::isnan(left);
    const bool rightNan = std::isnan(right);
    if (leftNan || rightNan)
        return int(rightNan) - int(leftNan);
    return left < right ? -1 : (left > right ? 1 : 0);
}

std::optional<Decimal> exactDecimal(double value) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e38)
        return std::nullopt;
    return Decimal::fromDoubleShortest(value);
}

} // namespace

Variant Variant::null() {
    Variant value;
    value.m_value = NullTag{};
    return value;
}

bool Variant::isNumeric() const {
    const Type kind = type();
    return kind == Type::Int32 || kind == Type::Int64 || kind == Type::Decimal ||
           kind == Type::Double;
}

QString Variant::toString() const {
    return toText(QChar(u'.'));
}

QString Variant::toString(const QLocale& locale) const {
    const QString point = locale.decimalPoint();
    return toText(point.size() == 1 ? point.front() : QChar(u'.'));
}

QString Variant::toText(QChar decimalPoint) const {
    switch (type()) {
    case Type::Empty:
    case Type::Null:
        return QString();
    case Type::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Int32:
        return QString::number(std::get<std::int32_t>(m_value));
    case Type::Int64:
        return QString::number(std::get<std::int64_t>(m_value));
    case Type::Decimal:
        return std::get<Decimal>(m_value).toString(decimalPoint);
    case Type::Double:
        return doubleText(std::get<double>(m_value), decimalPoint);
    case Type::Text:
        return std::get<QString>(m_value);
    }
    return QString();
}

std::optional<Decimal> Variant::toDecimal() const {
    switch (type()) {
    case Type::Empty:
    case Type::Null:
        return std::nullopt;
    case Type::Boolean:
        return Decimal(std::get<bool>(m_value) ? -1 : 0);
    case Type::Int32:
        return Decimal(std::get<std::int32_t>(m_value));
    case Type::Int64:
        return Decimal(std::get<std::int64_t>(m_value));
    case Type::Decimal:
        return std::get<Decimal>(m_value);
    case Type::Double:
        return exactDecimal(std::get<double>(m_value));
    case Type::Text:
        return Decimal::fromString(std::get<QString>(m_value));
    }
    return std::nullopt;
}

std::optional<std::int64_t> Variant::toInt64() const {
    if (type() == Type::Int64)
        return std::get<std::int64_t>(m_value);
    if (type() == Type::Int32)
        return std::get<std::int32_t>(m_value);
    const std::optional<Decimal> number = toDecimal();
    if (!number || number->normalized().scale() != 0)
        return std::nullopt;
    return number->toInt64();
}

std::optional<std::int32_t> Variant::toInt32() const {
    const std::optional<std::int64_t> number = toInt64();
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(*number);
}

std::optional<double> Variant::toDouble() const {
    if (type() == Type::Double)
        return std::get<double>(m_value);
    const std::optional<Decimal> number = toDecimal();
    if (!number)
        return std::nullopt;
    return number->toDouble();
}

std::optional<bool> Variant::toBool() const {
    if (type() == Type::Boolean)
        return std::get<bool>(m_value);
    if (type() == Type::Double)
        return std::get<double>(m_value) != 0;
    if (type() == Type::Text) {
        const QStringView text = QStringView(std::get<QString>(m_value)).trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
    }
    const std::optional<Decimal> number = toDecimal();
    if (!number)
        return std::nullopt;
    return !number->isZero();
}

std::optional<std::int64_t> Variant::wholeNumber() const {
    if (const auto* value = std::get_if<std::int64_t>(&m_value))
        return *value;
    if (const auto* value = std::get_if<std::int32_t>(&m_value))
        return *value;
    return std::nullopt;
}

int Variant::compare(const Variant& other) const {
    const Type leftType = type();
    const Type rightType = other.type();
    const Rank leftRank = rankOf(leftType);
    const Rank rightRank = rankOf(rightType);
    if (leftRank != rightRank)
        return leftRank < rightRank ? -1 : 1;
    if (leftRank == Rank::Missing)
        return 0;
    if (leftRank == Rank::Text) {
        const int order = withoutTrailingBlanks(std::get<QString>(m_value))
                              .compare(withoutTrailingBlanks(std::get<QString>(other.m_value)),
                                       Qt::CaseSensitive);
        return order < 0 ? -1 : (order > 0 ? 1 : 0);
    }
    // Numbers: the common cases without conversion, then exactly as decimals, and as
    // doubles only for what no decimal can hold (1e300, infinities, NaN).
    if (leftType == Type::Int32 && rightType == Type::Int32)
        return fromOrdering(std::get<std::int32_t>(m_value) <=>
                            std::get<std::int32_t>(other.m_value));
    if (const auto left = wholeNumber(), right = other.wholeNumber(); left && right)
        return fromOrdering(*left <=> *right); // 64-bit keys, and keys against 32-bit literals
    if (leftType == Type::Decimal && rightType == Type::Decimal)
        return fromOrdering(std::get<Decimal>(m_value) <=> std::get<Decimal>(other.m_value));
    if (leftType == Type::Double && rightType == Type::Double)
        return compareDoubles(std::get<double>(m_value), std::get<double>(other.m_value));
    const std::optional<Decimal> left = toDecimal();
    const std::optional<Decimal> right = other.toDecimal();
    if (left && right)
        return fromOrdering(*left <=> *right);
    return compareDoubles(toDouble().value_or(0), other.toDouble().value_or(0));
}

bool Variant::isNullOrBlank() const {
    return isNullOrEmpty() || (isText() && withoutTrailingBlanks(textView()).isEmpty());
}

Variant NVL(const Variant& value, const Variant& ifNull) {
    return value.isNullOrBlank() ? ifNull : value;
}

} // namespace bdg
