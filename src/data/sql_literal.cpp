#include "data/sql_literal.h"

#include <charconv>
#include <cmath>

namespace bdg {

namespace {

QString notANumber(const QString& what, const QString& value) {
    const QString target = what.isEmpty() ? QString() : QStringLiteral(" for ") + what;
    return QStringLiteral("not a number%1: '%2'").arg(target, value);
}

/// The shortest text that reads back as the same double, in plain notation ("0.1", "1e20"
/// written out in full), so that SQL never sees an exponent or a binary expansion.
QString shortestText(double value) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

QString textAsNumber(const QString& text, const QString& what) {
    const std::optional<Decimal> number = Decimal::fromString(text);
    if (!number)
        throw SqlValueError(notANumber(what, text).toStdString());
    // toString keeps the digits as typed: "12" stays an integer, "1,50" becomes "1.50".
    return number->toString();
}

} // namespace

QString sqlText(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString sqlText(const Variant& value) {
    return sqlText(value.toString());
}

QString sqlNumber(const Variant& value, const QString& what) {
    switch (value.type()) {
    case Variant::Type::Int32:
    case Variant::Type::Int64:
        return QString::number(*value.toInt64());
    case Variant::Type::Decimal:
        return value.toDecimal()->toString();
    case Variant::Type::Double: {
        const double number = *value.toDouble();
        if (!std::isfinite(number))
            throw SqlValueError(notANumber(what, value.toString()).toStdString());
        return shortestText(number);
    }
    case Variant::Type::Text:
        return textAsNumber(value.toString(), what);
    case Variant::Type::Empty:
    case Variant::Type::Null:
    case Variant::Type::Boolean:
        break;
    }
    throw SqlValueError(notANumber(what, value.toString()).toStdString());
}

} // namespace bdg
