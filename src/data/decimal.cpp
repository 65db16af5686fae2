#include "data/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace bdg {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr int MaxDigits = Decimal::MaxDigits;

// Powers of ten up to 10^38, the largest a 128-bit mantissa holds, computed once by the
// compiler: rescaling and comparing are a table look-up and one multiplication.
constexpr std::array<UInt128, MaxDigits + 1> makePowersOfTen() {
    std::array<UInt128, MaxDigits + 1> powers{};
    UInt128 power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}

constexpr auto Pow10 = makePowersOfTen();
// Every mantissa stays strictly below this magnitude: 38 significant digits.
constexpr UInt128 MagnitudeLimit = Pow10[MaxDigits];

constexpr std::array<std::uint64_t, 20> makeSmallPowersOfTen() {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (auto& entry : powers) {
        entry = power;
        power *= 10;
    }
    return powers;
}

constexpr auto Pow10Small = makeSmallPowersOfTen();
constexpr int SmallPowerMax = 19;

// Without a branch: amounts come with random signs, and a mispredicted sign test costs more
// than the arithmetic around it.
UInt128 magnitude(Int128 value) {
    const auto mask = static_cast<UInt128>(value >> 127); // all ones when negative
    return (static_cast<UInt128>(value) ^ mask) - mask;
}

Int128 signedValue(UInt128 magnitudeValue, bool negative) {
    const auto value = static_cast<Int128>(magnitudeValue);
    return negative ? -value : value;
}

// Number of decimal digits of `value`: the powers of ten up to it. 0 has none.
int digitCount(UInt128 value) {
    return static_cast<int>(std::upper_bound(Pow10.begin(), Pow10.end(), value) - Pow10.begin());
}

// Whether a quotient `quotient` with remainder `remainder` of a division by `divisor`
// moves one unit away from zero. Compares remainder with divisor - remainder, so that
// no doubling can overflow.
template <typename T>
bool roundsAway(bool quotientIsOdd, const T& remainder, const T& complement, Rounding rounding) {
    if (rounding == Rounding::TowardZero || remainder == T(0))
        return false;
    if (remainder != complement)
        return complement < remainder;
    return rounding == Rounding::HalfAwayFromZero || quotientIsOdd;
}

// Drops `digits` decimal digits of a magnitude with the given rounding.
UInt128 dropDigits(UInt128 value, int digits, Rounding rounding) {
    if (digits <= 0)
        return value;
    if (digits > MaxDigits) // value < 10^38 is below half of 10^39: always rounds to 0
        return 0;
    const UInt128 divisor = Pow10[static_cast<std::size_t>(digits)];
    const UInt128 quotient = value / divisor;
    const UInt128 remainder = value % divisor;
    const bool away = roundsAway((quotient & 1) != 0, remainder, divisor - remainder, rounding);
    return quotient + (away ? 1 : 0);
}

// An unsigned integer of 384 bits, enough for a product of two mantissas (76 digits) and
// for a dividend scaled by 10^60 (98 digits). Only the slow paths of multiply and divide
// use it.
class Wide {
public:
    static constexpr int Limbs = 6;

    Wide() = default;
    explicit Wide(UInt128 value) {
        m_limb[0] = static_cast<std::uint64_t>(value);
        m_limb[1] = static_cast<std::uint64_t>(value >> 64);
    }

    static Wide product(UInt128 left, UInt128 right) {
        Wide result;
        const std::uint64_t leftParts[2] = {static_cast<std::uint64_t>(left),
                                            static_cast<std::uint64_t>(left >> 64)};
        const std::uint64_t rightParts[2] = {static_cast<std::uint64_t>(right),
                                             static_cast<std::uint64_t>(right >> 64)};
        for (int leftIndex = 0; leftIndex < 2; ++leftIndex) {
            UInt128 carry = 0;
            for (int rightIndex = 0; rightIndex < 2; ++rightIndex) {
                auto& limb = result.m_limb[static_cast<std::size_t>(leftIndex + rightIndex)];
                const UInt128 partial =
                    UInt128(leftParts[leftIndex]) * rightParts[rightIndex] + limb + carry;
                limb = static_cast<std::uint64_t>(partial);
                carry = partial >> 64;
            }
            result.m_limb[static_cast<std::size_t>(leftIndex + 2)] =
                static_cast<std::uint64_t>(carry);
        }
        return result;
    }

    bool fits128() const {
        return std::all_of(m_limb.begin() + 2, m_limb.end(), [](auto limb) { return limb == 0; });
    }
    UInt128 low128() const { return (UInt128(m_limb[1]) << 64) | m_limb[0]; }
    bool isOdd() const { return (m_limb[0] & 1) != 0; }

    // Callers keep the result within 384 bits (bounded operands).
    void multiplySmall(std::uint64_t factor) {
        UInt128 carry = 0;
        for (auto& limb : m_limb) {
            const UInt128 partial = UInt128(limb) * factor + carry;
            limb = static_cast<std::uint64_t>(partial);
            carry = partial >> 64;
        }
    }

    void multiplyByPowerOfTen(int exponent) {
        while (exponent > 0) {
            const int step = std::min(exponent, SmallPowerMax);
            multiplySmall(Pow10Small[static_cast<std::size_t>(step)]);
            exponent -= step;
        }
    }

    // Divides in place and returns the remainder.
    std::uint64_t divideSmall(std::uint64_t divisor) {
        UInt128 remainder = 0;
        for (auto limb = m_limb.rbegin(); limb != m_limb.rend(); ++limb) {
            const UInt128 current = (remainder << 64) | *limb;
            *limb = static_cast<std::uint64_t>(current / divisor);
            remainder = current % divisor;
        }
        return static_cast<std::uint64_t>(remainder);
    }

    void addOne() {
        for (auto& limb : m_limb) {
            if (++limb != 0)
                return;
        }
    }

    void subtract(const Wide& other) {
        std::uint64_t borrow = 0;
        for (std::size_t index = 0; index < Limbs; ++index) {
            const std::uint64_t subtrahend = other.m_limb[index];
            const std::uint64_t result = m_limb[index] - subtrahend - borrow;
            borrow = (m_limb[index] < subtrahend || (m_limb[index] == subtrahend && borrow != 0))
                         ? 1
                         : 0;
            m_limb[index] = result;
        }
    }

    void shiftLeft(int bits) {
        for (; bits >= 64; bits -= 64) {
            std::copy_backward(m_limb.begin(), m_limb.end() - 1, m_limb.end());
            m_limb[0] = 0;
        }
        if (bits == 0)
            return;
        for (std::size_t index = Limbs - 1; index > 0; --index)
            m_limb[index] = (m_limb[index] << bits) | (m_limb[index - 1] >> (64 - bits));
        m_limb[0] <<= bits;
    }

    void shiftRightOne() {
        for (std::size_t index = 0; index + 1 < Limbs; ++index)
            m_limb[index] = (m_limb[index] >> 1) | (m_limb[index + 1] << 63);
        m_limb[Limbs - 1] >>= 1;
    }

    friend bool operator==(const Wide&, const Wide&) = default;
    friend bool operator<(const Wide& left, const Wide& right) {
        return std::lexicographical_compare(left.m_limb.rbegin(), left.m_limb.rend(),
                                            right.m_limb.rbegin(), right.m_limb.rend());
    }

private:
    std::array<std::uint64_t, Limbs> m_limb{};
};

// Drops `digits` decimal digits: the last one dropped and whether any other was non-zero
// decide the rounding.
Wide dropDigits(Wide value, int digits, Rounding rounding) {
    if (digits <= 0)
        return value;
    bool restNonZero = false;
    for (int rest = digits - 1; rest > 0;) {
        const int step = std::min(rest, SmallPowerMax);
        restNonZero =
            value.divideSmall(Pow10Small[static_cast<std::size_t>(step)]) != 0 || restNonZero;
        rest -= step;
    }
    const std::uint64_t lastDropped = value.divideSmall(10);
    const std::uint64_t remainder = lastDropped * 2 + (restNonZero ? 1 : 0); // in tenths * 2
    if (roundsAway(value.isOdd(), remainder, std::uint64_t(20) - remainder, rounding))
        value.addOne();
    return value;
}

// Restoring binary division of a dividend known to give a quotient below 10^38 (< 2^127).
UInt128 longDivision(Wide dividend, const Wide& divisor, Wide& remainder) {
    Wide shifted = divisor;
    shifted.shiftLeft(126);
    UInt128 quotient = 0;
    for (int bit = 126; bit >= 0; --bit) {
        if (!(dividend < shifted)) {
            dividend.subtract(shifted);
            quotient |= UInt128(1) << bit;
        }
        shifted.shiftRightOne();
    }
    remainder = dividend;
    return quotient;
}

std::string describe(const Decimal& value) {
    return value.toString().toStdString();
}

[[noreturn]] void failBinary(const char* operation, const Decimal& left, const char* symbol,
                             const Decimal& right) {
    throw DecimalError(std::string("decimal overflow in ") + operation + ": " + describe(left) +
                       " " + symbol + " " + describe(right));
}

void checkScale(int scale, const char* operation) {
    if (scale >= 0 && scale <= Decimal::MaxScale)
        return;
    throw DecimalError(std::string("decimal scale ") + std::to_string(scale) + " out of range 0.." +
                       std::to_string(Decimal::MaxScale) + " in " + operation);
}

// mantissa * 10^digits, or nothing when the result would exceed 38 digits.
// Largest magnitude that can be multiplied by 10^digits and stay within 38 digits; checking
// it spares the library call that an overflow-checked 128-bit multiplication costs.
constexpr std::array<UInt128, MaxDigits + 1> makeScaleUpBounds() {
    std::array<UInt128, MaxDigits + 1> bounds{};
    for (std::size_t digits = 0; digits < bounds.size(); ++digits)
        bounds[digits] = (MagnitudeLimit - 1) / Pow10[digits];
    return bounds;
}

constexpr auto ScaleUpBound = makeScaleUpBounds();

// mantissa * 10^digits, or nothing when the result would exceed 38 digits.
std::optional<Int128> scaleUp(Int128 mantissa, int digits) {
    if (digits > MaxDigits)
        return mantissa == 0 ? std::optional<Int128>(0) : std::nullopt;
    const auto index = static_cast<std::size_t>(digits);
    if (magnitude(mantissa) > ScaleUpBound[index])
        return std::nullopt;
    return mantissa * static_cast<Int128>(Pow10[index]);
}

// Writes the digits of `value` backwards ending before `end`; returns the first written.
template <typename Char> Char* writeDigits(UInt128 value, Char* end) {
    constexpr std::uint64_t chunk = Pow10Small[SmallPowerMax];
    while (value >= chunk) {
        auto low = static_cast<std::uint64_t>(value % chunk);
        value /= chunk;
        for (int digit = 0; digit < SmallPowerMax; ++digit, low /= 10)
            *--end = static_cast<Char>('0' + low % 10);
    }
    auto rest = static_cast<std::uint64_t>(value);
    do {
        *--end = static_cast<Char>('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    return end;
}

// Room for a sign, 38 digits or "0." and 30 places, and the separator.
constexpr int TextCapacity = 48;

// Writes the text of mantissa/10^scale ending before `end`; returns its first character.
template <typename Char> Char* writeText(Int128 mantissa, int scale, Char point, Char* end) {
    Char* begin = writeDigits(magnitude(mantissa), end);
    while (end - begin < scale + 1)
        *--begin = Char('0');
    if (scale > 0) {
        Char* pointAt = end - scale;
        std::copy(begin, pointAt, begin - 1);
        --begin;
        *(pointAt - 1) = point;
    }
    if (mantissa < 0)
        *--begin = Char('-');
    return begin;
}

enum class ParseStatus { Ok, NotANumber, TooLarge };

// Digits gathered while reading a decimal text, with what is left beyond 38 digits.
struct ParsedDigits {
    UInt128 mantissa = 0;
    int scale = 0;
    int significant = 0;
    bool anyDigit = false;
    int firstExcess = -1; // first fraction digit that did not fit, -1 when none
    bool excessNonZero = false;
};

ParseStatus addDigit(ParsedDigits& parsed, int digit, bool inFraction) {
    parsed.anyDigit = true;
    const bool leadingZero = parsed.significant == 0 && digit == 0;
    const bool fits =
        parsed.significant < MaxDigits && (!inFraction || parsed.scale < Decimal::MaxScale);
    if (!fits && !inFraction)
        return ParseStatus::TooLarge;
    if (!fits) {
        if (parsed.firstExcess < 0)
            parsed.firstExcess = digit;
        else
            parsed.excessNonZero = parsed.excessNonZero || digit != 0;
        return ParseStatus::Ok;
    }
    parsed.mantissa = parsed.mantissa * 10 + static_cast<unsigned>(digit);
    parsed.significant += leadingZero ? 0 : 1;
    parsed.scale += inFraction ? 1 : 0;
    return ParseStatus::Ok;
}

// Rounds away the fraction digits that did not fit, half away from zero.
ParseStatus roundExcess(ParsedDigits& parsed) {
    if (parsed.firstExcess < 5)
        return ParseStatus::Ok;
    ++parsed.mantissa;
    if (parsed.mantissa < MagnitudeLimit)
        return ParseStatus::Ok;
    if (parsed.scale == 0)
        return ParseStatus::TooLarge;
    parsed.mantissa /= 10;
    --parsed.scale;
    return ParseStatus::Ok;
}

ParseStatus parseDecimal(QStringView input, Int128& mantissa, int& scale) {
    const QStringView trimmed = input.trimmed();
    qsizetype position = 0;
    const bool negative = !trimmed.isEmpty() && trimmed.front() == u'-';
    if (!trimmed.isEmpty() && (trimmed.front() == u'-' || trimmed.front() == u'+'))
        position = 1;
    ParsedDigits parsed;
    bool inFraction = false;
    for (; position < trimmed.size(); ++position) {
        const char16_t character = trimmed[position].unicode();
        if ((character == u'.' || character == u',') && !inFraction) {
            inFraction = true;
            continue;
        }
        if (character < u'0' || character > u'9')
            return ParseStatus::NotANumber;
        if (addDigit(parsed, character - u'0', inFraction) == ParseStatus::TooLarge)
            return ParseStatus::TooLarge;
    }
    if (!parsed.anyDigit)
        return ParseStatus::NotANumber;
    if (roundExcess(parsed) == ParseStatus::TooLarge)
        return ParseStatus::TooLarge;
    mantissa = signedValue(parsed.mantissa, negative);
    scale = parsed.scale;
    return ParseStatus::Ok;
}

// A finite double as its shortest round-trip digits: value = digits * 10^exponent.
struct ShortestDigits {
    std::uint64_t digits = 0;
    int exponent = 0;
    bool negative = false;
};

ShortestDigits shortestDigits(double value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    ShortestDigits shortest;
    const char* position = buffer;
    shortest.negative = *position == '-';
    position += shortest.negative ? 1 : 0;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; position < result.ptr && *position != 'e'; ++position) {
        if (*position == '.') {
            inFraction = true;
            continue;
        }
        shortest.digits = shortest.digits * 10 + static_cast<std::uint64_t>(*position - '0');
        fractionDigits += inFraction ? 1 : 0;
    }
    int exponent = 0;
    const char* exponentStart = position + 1;
    exponentStart += (exponentStart < result.ptr && *exponentStart == '+') ? 1 : 0;
    std::from_chars(exponentStart, result.ptr, exponent);
    shortest.exponent = exponent - fractionDigits;
    return shortest;
}

std::string doubleText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// |dividend| * 10^shift / |divisor| rounded, in native integers when the scaled dividend
// stays within 38 digits (percentages, ratios of amounts); nothing otherwise.
std::optional<UInt128> divideNarrow(UInt128 dividend, UInt128 divisor, int shift,
                                    Rounding rounding) {
    if (shift < 0 || shift > MaxDigits || dividend > ScaleUpBound[static_cast<std::size_t>(shift)])
        return std::nullopt;
    dividend *= Pow10[static_cast<std::size_t>(shift)];
    const UInt128 quotient = dividend / divisor;
    const UInt128 remainder = dividend % divisor;
    const bool away = roundsAway((quotient & 1) != 0, remainder, divisor - remainder, rounding);
    return quotient + (away ? 1 : 0);
}

// As divideNarrow with 384-bit intermediates; nothing when the quotient exceeds 38 digits.
std::optional<UInt128> divideWide(UInt128 dividendMagnitude, UInt128 divisorMagnitude, int shift,
                                  Rounding rounding) {
    Wide dividend(dividendMagnitude);
    Wide denominator(divisorMagnitude);
    dividend.multiplyByPowerOfTen(std::max(shift, 0));
    denominator.multiplyByPowerOfTen(std::max(-shift, 0));
    Wide ceiling = denominator;
    ceiling.multiplyByPowerOfTen(MaxDigits);
    if (!(dividend < ceiling))
        return std::nullopt;
    Wide remainder;
    const UInt128 quotient = longDivision(dividend, denominator, remainder);
    Wide complement = denominator;
    complement.subtract(remainder);
    const bool away = roundsAway((quotient & 1) != 0, remainder, complement, rounding);
    return quotient + (away ? 1 : 0);
}

} // namespace

Decimal Decimal::fromMantissa(Int128 mantissa, int scale) {
    checkScale(scale, "fromMantissa");
    if (magnitude(mantissa) >= MagnitudeLimit)
        throw DecimalError("decimal overflow: mantissa of more than 38 digits");
    Decimal result;
    result.m_mantissa = mantissa;
    result.m_scale = scale;
    return result;
}

std::optional<Decimal> Decimal::fromString(QStringView text) {
    Int128 mantissa = 0;
    int scale = 0;
    if (parseDecimal(text, mantissa, scale) != ParseStatus::Ok)
        return std::nullopt;
    return fromMantissa(mantissa, scale);
}

Decimal Decimal::parse(QStringView text) {
    Int128 mantissa = 0;
    int scale = 0;
    const ParseStatus status = parseDecimal(text, mantissa, scale);
    if (status == ParseStatus::TooLarge)
        throw DecimalError("decimal overflow: '" + text.toString().toStdString() +
                           "' has more than 38 integer digits");
    if (status == ParseStatus::NotANumber)
        throw DecimalError("not a decimal number: '" + text.toString().toStdString() + "'");
    return fromMantissa(mantissa, scale);
}

Decimal Decimal::fromDouble(double value, int scale, Rounding rounding) {
    checkScale(scale, "fromDouble");
    if (!std::isfinite(value))
        throw DecimalError("cannot convert the double " + doubleText(value) + " to a decimal");
    const ShortestDigits shortest = shortestDigits(value);
    const int shift = shortest.exponent + scale;
    UInt128 result = 0;
    if (shift >= 0) {
        const auto scaled = scaleUp(static_cast<Int128>(shortest.digits), shift);
        if (!scaled)
            throw DecimalError("decimal overflow converting the double " + doubleText(value) +
                               " to " + std::to_string(scale) + " places");
        result = static_cast<UInt128>(*scaled);
    } else {
        result = dropDigits(UInt128(shortest.digits), -shift, rounding);
    }
    return fromMantissa(signedValue(result, shortest.negative), scale);
}

Decimal Decimal::fromDoubleShortest(double value) {
    if (!std::isfinite(value))
        throw DecimalError("cannot convert the double " + doubleText(value) + " to a decimal");
    const int places = std::clamp(-shortestDigits(value).exponent, 0, MaxScale);
    return fromDouble(value, places);
}

int Decimal::integerDigits() const {
    return digitCount(magnitude(m_mantissa) / Pow10[static_cast<std::size_t>(m_scale)]);
}

int Decimal::digits() const {
    return digitCount(magnitude(m_mantissa));
}

bool Decimal::fits(int precision, int scale) const {
    if (scale < 0 || scale > precision)
        return false;
    const Decimal rounded = scale < m_scale ? rescaled(scale) : *this;
    // At most precision - scale integer digits: |mantissa| below 10^(those + its scale), which
    // every value meets once that exceeds the 38 digits a mantissa has.
    const int limit = precision - scale + rounded.m_scale;
    return limit > MaxDigits || magnitude(rounded.m_mantissa) < Pow10[std::size_t(limit)];
}

Decimal Decimal::rescaled(int scale, Rounding rounding) const {
    checkScale(scale, "rescale");
    if (scale == m_scale)
        return *this;
    if (scale > m_scale) {
        const auto scaled = scaleUp(m_mantissa, scale - m_scale);
        if (!scaled)
            throw DecimalError("decimal overflow: " + describe(*this) + " to " +
                               std::to_string(scale) + " places");
        return fromMantissa(*scaled, scale);
    }
    const UInt128 dropped = dropDigits(magnitude(m_mantissa), m_scale - scale, rounding);
    return fromMantissa(signedValue(dropped, m_mantissa < 0), scale);
}

Decimal Decimal::round(int places, Rounding rounding) const {
    if (places >= m_scale)
        return *this;
    if (places >= 0)
        return rescaled(places, rounding);
    // Negative places round to tens, hundreds...: ROUND(1250, -2) = 1300.
    const UInt128 dropped = dropDigits(magnitude(m_mantissa), m_scale - places, rounding);
    const auto scaled = scaleUp(signedValue(dropped, m_mantissa < 0), -places);
    if (!scaled)
        throw DecimalError("decimal overflow rounding " + describe(*this) + " to " +
                           std::to_string(places) + " places");
    return fromMantissa(*scaled, 0);
}

Decimal Decimal::normalized() const {
    Decimal result = *this;
    while (result.m_scale > 0 && result.m_mantissa % 10 == 0) {
        result.m_mantissa /= 10;
        --result.m_scale;
    }
    return result;
}

Decimal Decimal::operator-() const {
    Decimal result = *this;
    result.m_mantissa = -m_mantissa;
    return result;
}

Decimal Decimal::abs() const {
    return m_mantissa < 0 ? -*this : *this;
}

Decimal Decimal::addAligned(const Decimal& other) const {
    const int scale = std::max(m_scale, other.m_scale);
    const auto left =
        scale == m_scale ? std::optional<Int128>(m_mantissa) : scaleUp(m_mantissa, scale - m_scale);
    const auto right = scale == other.m_scale ? std::optional<Int128>(other.m_mantissa)
                                              : scaleUp(other.m_mantissa, scale - other.m_scale);
    Int128 sum = 0;
    if (!left || !right || __builtin_add_overflow(*left, *right, &sum) ||
        magnitude(sum) >= MagnitudeLimit)
        failBinary("addition", *this, "+", other);
    Decimal result;
    result.m_mantissa = sum;
    result.m_scale = scale;
    return result;
}

Decimal Decimal::operator-(const Decimal& other) const {
    try {
        return *this + -other;
    } catch (const DecimalError&) {
        failBinary("subtraction", *this, "-", other);
    }
}

Decimal Decimal::operator*(const Decimal& other) const {
    const int scale = m_scale + other.m_scale;
    // Factors below 2^63 cannot overflow 128 bits: one native multiplication.
    const UInt128 small = UInt128(1) << 63;
    if (scale <= MaxScale && magnitude(m_mantissa) < small && magnitude(other.m_mantissa) < small) {
        const Int128 product = m_mantissa * other.m_mantissa;
        if (magnitude(product) < MagnitudeLimit)
            return fromMantissa(product, scale);
    }
    // Too many digits: keep 38 significant digits by rounding places off the fraction; an
    // integer part beyond 38 digits is an overflow.
    const Wide wide = Wide::product(magnitude(m_mantissa), magnitude(other.m_mantissa));
    const bool negative = (m_mantissa < 0) != (other.m_mantissa < 0);
    for (int dropped = std::max(0, scale - MaxScale); dropped <= scale; ++dropped) {
        const Wide rounded = dropDigits(wide, dropped, Rounding::HalfAwayFromZero);
        if (rounded.fits128() && rounded.low128() < MagnitudeLimit)
            return fromMantissa(signedValue(rounded.low128(), negative), scale - dropped);
    }
    failBinary("multiplication", *this, "*", other);
}

Decimal Decimal::divide(const Decimal& divisor, int scale, Rounding rounding) const {
    checkScale(scale, "divide");
    if (divisor.isZero())
        throw DecimalError("division by zero: " + describe(*this) + " / " + describe(divisor));
    // quotient mantissa = |this| * 10^(scale + divisor scale - own scale) / |divisor|
    const int shift = scale + divisor.m_scale - m_scale;
    const UInt128 dividend = magnitude(m_mantissa);
    const UInt128 denominator = magnitude(divisor.m_mantissa);
    std::optional<UInt128> quotient = divideNarrow(dividend, denominator, shift, rounding);
    if (!quotient)
        quotient = divideWide(dividend, denominator, shift, rounding);
    if (!quotient || *quotient >= MagnitudeLimit)
        throw DecimalError("decimal overflow in division: " + describe(*this) + " / " +
                           describe(divisor) + " to " + std::to_string(scale) + " places");
    const bool negative = (m_mantissa < 0) != (divisor.m_mantissa < 0);
    return fromMantissa(signedValue(*quotient, negative), scale);
}

std::strong_ordering Decimal::compareAligned(const Decimal& other) const {
    if (sign() != other.sign())
        return sign() <=> other.sign();
    // Bring the value with fewer places to the other's scale; when that overflows, its
    // magnitude is beyond anything the other can hold and the common sign decides.
    const bool thisCoarser = m_scale < other.m_scale;
    const Decimal& coarse = thisCoarser ? *this : other;
    const Decimal& fine = thisCoarser ? other : *this;
    const auto scaled = scaleUp(coarse.m_mantissa, fine.m_scale - coarse.m_scale);
    const std::strong_ordering coarseVsFine =
        scaled ? (*scaled <=> fine.m_mantissa) : (coarse.sign() <=> 0);
    return thisCoarser ? coarseVsFine : 0 <=> coarseVsFine;
}

QString Decimal::toString() const {
    return toString(QChar(u'.'));
}

QString Decimal::toString(QChar decimalPoint) const {
    char16_t buffer[TextCapacity];
    char16_t* end = buffer + TextCapacity;
    const char16_t* begin = writeText(m_mantissa, m_scale, decimalPoint.unicode(), end);
    return QString::fromUtf16(begin, end - begin);
}

void Decimal::appendTo(QString& text, QChar decimalPoint) const {
    char16_t buffer[TextCapacity];
    char16_t* end = buffer + TextCapacity;
    const char16_t* begin = writeText(m_mantissa, m_scale, decimalPoint.unicode(), end);
    text.append(QStringView(begin, end));
}

double Decimal::toDouble() const {
    char buffer[TextCapacity];
    char* end = buffer + TextCapacity;
    const char* begin = writeText(m_mantissa, m_scale, '.', end);
    double value = 0;
    std::from_chars(begin, end, value);
    return value;
}

std::optional<std::int64_t> Decimal::toInt64() const {
    const Int128 integer =
        m_mantissa / static_cast<Int128>(Pow10[static_cast<std::size_t>(m_scale)]);
    if (integer < std::numeric_limits<std::int64_t>::min() ||
        integer > std::numeric_limits<std::int64_t>::max())
        return std::nullopt;
    return static_cast<std::int64_t>(integer);
}

} // namespace bdg
