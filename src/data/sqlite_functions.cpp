#include "data/sqlite_functions.h"

#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

namespace bdg {

namespace {

// Values up to this many significant digits survive the trip through a double: its
// shortest round-trip text gives the same digits back.
constexpr int ExactDoubleDigits = 15;

double doubleOfText(const Decimal& value) {
    const QByteArray text = value.toString().toLatin1();
    double number = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), number);
    return number;
}

// Powers of ten that a double holds exactly.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

void resultDecimal(sqlite3_context* context, const Decimal& value) {
    const Decimal normalized = value.normalized();
    if (normalized.digits() <= ExactDoubleDigits) {
        // Mantissa and power of ten are both exact doubles, and one division rounds
        // correctly: the same double as reading the decimal text, without the text.
        const auto mantissa = double(std::int64_t(normalized.mantissa()));
        sqlite3_result_double(context, normalized.scale() < int(std::size(ExactPowersOfTen))
                                           ? mantissa / ExactPowersOfTen[normalized.scale()]
                                           : doubleOfText(normalized));
        return;
    }
    const QByteArray text = normalized.toString().toLatin1();
    // SQLITE_TRANSIENT spelled without its C-style cast: SQLite copies the text.
    const auto transient = reinterpret_cast<sqlite3_destructor_type>(std::intptr_t(-1));
    sqlite3_result_text(context, text.constData(), int(text.size()), transient);
}

void resultError(sqlite3_context* context, const char* function, const std::exception& error) {
    const QByteArray message = QByteArray(function) + ": " + error.what();
    sqlite3_result_error(context, message.constData(), int(message.size()));
}

Decimal powerOfTen(int exponent) {
    Decimal power(1);
    for (int step = 0; step < exponent; ++step)
        power = power * Decimal(10);
    return power;
}

/// PostgreSQL's ROUND: half away from zero; negative places round to tens, hundreds...
Decimal roundedTo(const Decimal& value, int places) {
    if (places >= 0)
        return value.round(std::min(places, Decimal::MaxScale));
    if (-places >= Decimal::MaxDigits)
        return Decimal(0);
    const Decimal unit = powerOfTen(-places);
    return value.divide(unit, 0) * unit;
}

void exactRound(sqlite3_context* context, int argc, sqlite3_value** argv) {
    try {
        const std::optional<Decimal> value = sqliteValueToDecimal(argv[0]);
        if (!value || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_NULL)) {
            sqlite3_result_null(context);
            return;
        }
        const int places = argc > 1 ? sqlite3_value_int(argv[1]) : 0;
        resultDecimal(context, roundedTo(*value, places));
    } catch (const std::exception& error) {
        resultError(context, "ROUND", error);
    }
}

/// Running state of one SUM, kept in SQLite's zero-filled aggregate memory; all zero bytes
/// is the state before the first value.
struct SumState {
    std::int64_t integerTotal;
    Int128 decimalMantissa;
    int decimalScale;
    bool seen;
    bool decimal;
};
static_assert(std::is_trivially_copyable_v<SumState>);

SumState loadState(void* memory) {
    SumState state;
    std::memcpy(&state, memory, sizeof state);
    return state;
}

void addToState(SumState& state, const Decimal& value, bool isInteger) {
    if (!state.decimal && isInteger) {
        std::int64_t total = 0;
        if (!__builtin_add_overflow(state.integerTotal, *value.toInt64(), &total)) {
            state.integerTotal = total;
            return;
        }
    }
    Decimal total = state.decimal ? Decimal::fromMantissa(state.decimalMantissa, state.decimalScale)
                                  : Decimal(state.integerTotal);
    total += value;
    state.decimal = true;
    state.decimalMantissa = total.mantissa();
    state.decimalScale = total.scale();
}

void exactSumStep(sqlite3_context* context, int, sqlite3_value** argv) {
    void* memory = sqlite3_aggregate_context(context, sizeof(SumState));
    if (!memory) {
        sqlite3_result_error_nomem(context);
        return;
    }
    try {
        const std::optional<Decimal> value = sqliteValueToDecimal(argv[0]);
        if (!value)
            return;
        SumState state = loadState(memory);
        state.seen = true;
        addToState(state, *value, sqlite3_value_type(argv[0]) == SQLITE_INTEGER);
        std::memcpy(memory, &state, sizeof state);
    } catch (const std::exception& error) {
        resultError(context, "SUM", error);
    }
}

void exactSumFinal(sqlite3_context* context) {
    void* memory = sqlite3_aggregate_context(context, 0);
    if (!memory) {
        sqlite3_result_null(context); // no row at all
        return;
    }
    const SumState state = loadState(memory);
    if (!state.seen)
        sqlite3_result_null(context);
    else if (!state.decimal)
        sqlite3_result_int64(context, state.integerTotal);
    else
        resultDecimal(context, Decimal::fromMantissa(state.decimalMantissa, state.decimalScale));
}

} // namespace

Decimal decimalFromDouble(double value) {
    if (!std::isfinite(value))
        throw DecimalError("not a finite number: " + std::to_string(value));
    // An amount with a few places is found without its text. While value * 10^places stays
    // below 2^40, a double is more than 2^12 times finer than a unit of the last place: at
    // most one decimal with that many places reads back as `value`, the product rounded to
    // a whole number finds it, and one correctly rounded division tells whether it reads
    // back. The first number of places that does is the shortest text's.
    constexpr double Limit = double(std::int64_t(1) << 40);
    for (std::size_t places = 0; places < std::size(ExactPowersOfTen) &&
                                 std::fabs(value) * ExactPowersOfTen[places] < Limit;
         ++places) {
        const double scaled = std::round(value * ExactPowersOfTen[places]);
        if (scaled / ExactPowersOfTen[places] == value)
            return Decimal::fromMantissa(Int128(std::int64_t(scaled)), int(places));
    }
    // Every amount of a statement passes here: the digits are read in place, without a
    // string on the heap.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    char16_t wide[sizeof buffer];
    const auto length = result.ptr - buffer;
    std::copy(buffer, result.ptr, wide);
    return Decimal::parse(QStringView(wide, length));
}

std::optional<Decimal> sqliteValueToDecimal(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
        return Decimal(std::int64_t(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return decimalFromDouble(sqlite3_value_double(value));
    case SQLITE_TEXT:
        return Decimal::parse(QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_value_text(value)), sqlite3_value_bytes(value)));
    default:
        throw DecimalError("a binary value is not a number");
    }
}

bool registerExactDecimalFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    const int statuses[] = {sqlite3_create_function_v2(db, "ROUND", 1, flags, nullptr, exactRound,
                                                       nullptr, nullptr, nullptr),
                            sqlite3_create_function_v2(db, "ROUND", 2, flags, nullptr, exactRound,
                                                       nullptr, nullptr, nullptr),
                            sqlite3_create_function_v2(db, "SUM", 1, flags, nullptr, nullptr,
                                                       exactSumStep, exactSumFinal, nullptr)};
    return std::all_of(std::begin(statuses), std::end(statuses),
                       [](int status) { return status == SQLITE_OK; });
}

} // namespace bdg
