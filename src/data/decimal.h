#pragma once

#include <QString>
#include <QStringView>

#include <compare>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <type_traits>

namespace bdg {

/// The compiler's native 128-bit integer; __extension__ keeps -Wpedantic quiet about it.
__extension__ typedef __int128 Int128;

/// Raised when a decimal operation cannot give an exact answer: overflow beyond
/// the supported digits, division by zero, a value that is not a number.
class DecimalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// How a value is brought to fewer decimal places.
enum class Rounding {
    HalfAwayFromZero, ///< SQL ROUND: 2.5 -> 3, -2.5 -> -3
    HalfEven,         ///< banker's rounding, used for formula results: 2.5 -> 2, 3.5 -> 4
    TowardZero,       ///< plain truncation
};

/// Exact decimal number: a signed 128-bit mantissa and a scale (digits after the point).
///
/// Every amount of the program is a Decimal, from the database to the screen; binary
/// floating point is only met where a database or the formula engine hands a double
/// over, and it is rounded to a stated scale at once. The mantissa holds at least
/// 38 significant digits; operations that would need more raise DecimalError.
/// Values compare by magnitude whatever their scale (1.50 == 1.5).
class Decimal {
public:
    static constexpr int MaxDigits = 38;
    static constexpr int MaxScale = 30;

    constexpr Decimal() = default;
    Decimal(int value) : m_mantissa(value) {}
    Decimal(std::int64_t value) : m_mantissa(value) {}
    /// qint64 (long long) where std::int64_t is long: without it such a call is ambiguous.
    template <typename T, std::enable_if_t<std::is_same_v<T, long long> &&
                                               !std::is_same_v<long long, std::int64_t>,
                                           int> = 0>
    Decimal(T value) : m_mantissa(value) {}

    /// mantissa / 10^scale; scale in [0, MaxScale].
    static Decimal fromMantissa(Int128 mantissa, int scale);
    /// Parses "-1234.5", "1234,5", "+0.25", "1e3" is refused; blanks around are ignored.
    /// Both '.' and ',' are accepted as the decimal separator, no grouping separators.
    /// Fraction digits beyond what 38 digits or MaxScale places can hold are rounded half
    /// away from zero (a database may hand over a long quotient); more than 38 integer
    /// digits give nothing.
    static std::optional<Decimal> fromString(QStringView text);
    /// As fromString, raising DecimalError with the text in the message when it is not a number.
    static Decimal parse(QStringView text);
    /// A double rounded half away from zero to `scale` places (REAL columns, script results).
    /// Raises DecimalError for NaN, infinities and magnitudes beyond MaxDigits.
    /// The double's shortest round-trip decimal text is rounded, not its binary expansion,
    /// so 2.675 gives 2.68 at 2 places as the person who typed it expects.
    static Decimal fromDouble(double value, int scale,
                              Rounding rounding = Rounding::HalfAwayFromZero);
    /// The shortest decimal that reads back as the same double (0.1 -> 0.1), with at most
    /// MaxScale places; DecimalError as fromDouble.
    static Decimal fromDoubleShortest(double value);

    Int128 mantissa() const { return m_mantissa; }
    int scale() const { return m_scale; }
    int sign() const { return m_mantissa < 0 ? -1 : (m_mantissa > 0 ? 1 : 0); }
    bool isZero() const { return m_mantissa == 0; }
    /// Number of digits of the integer part (0 for |x| < 1).
    int integerDigits() const;
    /// Number of significant digits of the mantissa as stored.
    int digits() const;
    /// True when the value fits a column declared with this precision and scale once
    /// rounded to `scale` (integer digits <= precision - scale).
    bool fits(int precision, int scale) const;

    /// Same value brought to exactly `scale` places (more places add zeros).
    Decimal rescaled(int scale, Rounding rounding = Rounding::HalfAwayFromZero) const;
    /// Rounded to `places` decimals, keeping the scale at most `places`.
    Decimal round(int places, Rounding rounding = Rounding::HalfAwayFromZero) const;
    /// Trailing zeros of the fraction removed (1.500 -> 1.5, 2.00 -> 2).
    Decimal normalized() const;

    Decimal operator-() const;
    Decimal abs() const;
    /// Amounts of one column share their scale; their sum stays one native addition inline.
    Decimal operator+(const Decimal& other) const {
        Int128 sum = 0;
        if (m_scale == other.m_scale &&
            !__builtin_add_overflow(m_mantissa, other.m_mantissa, &sum) && sum < MantissaLimit &&
            sum > -MantissaLimit)
            return Decimal(sum, m_scale, Raw{});
        return addAligned(other);
    }
    Decimal operator-(const Decimal& other) const;
    Decimal operator*(const Decimal& other) const;
    Decimal& operator+=(const Decimal& other) { return *this = *this + other; }
    Decimal& operator-=(const Decimal& other) { return *this = *this - other; }
    /// this / divisor rounded to `scale` places; DecimalError on a zero divisor.
    Decimal divide(const Decimal& divisor, int scale,
                   Rounding rounding = Rounding::HalfAwayFromZero) const;

    std::strong_ordering operator<=>(const Decimal& other) const {
        if (m_scale == other.m_scale)
            return m_mantissa <=> other.m_mantissa;
        return compareAligned(other);
    }
    bool operator==(const Decimal& other) const { return (*this <=> other) == 0; }

    /// Invariant text with '.' and exactly scale() decimals: "-1234.50".
    QString toString() const;
    /// Text with `decimalPoint` as the separator (',' for the Italian locale), no grouping.
    QString toString(QChar decimalPoint) const;
    /// Appends the text of toString(decimalPoint) to `text` without a string of its own,
    /// for writers that put out hundreds of thousands of amounts.
    void appendTo(QString& text, QChar decimalPoint = u'.') const;
    double toDouble() const;
    /// Integer part when it fits 64 bits (truncated toward zero), otherwise nothing.
    std::optional<std::int64_t> toInt64() const;

private:
    /// Magnitudes stay below 10^38: 38 significant digits.
    static constexpr Int128 MantissaLimit =
        Int128(10'000'000'000'000'000'000ULL) * 10'000'000'000'000'000'000ULL;
    struct Raw {};
    constexpr Decimal(Int128 mantissa, int scale, Raw) : m_mantissa(mantissa), m_scale(scale) {}
    Decimal addAligned(const Decimal& other) const;
    std::strong_ordering compareAligned(const Decimal& other) const;

    // Stored 8-byte aligned: a Decimal takes 24 bytes instead of 32, and so does every value
    // of a table (see Variant), which holds hundreds of thousands of them.
    __extension__ typedef __int128 StoredMantissa __attribute__((aligned(8)));

    StoredMantissa m_mantissa = 0;
    int m_scale = 0;
};

} // namespace bdg
