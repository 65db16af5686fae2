// libFuzzer driver: exact decimals. The input is two numbers as text, split at the first
// '|'; every operation must either give an exact answer that obeys the arithmetic's laws or
// raise DecimalError, never crash or give a wrong figure.
#include "data/decimal.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

void require(bool condition) {
    if (!condition)
        __builtin_trap();
}

template <typename Operation> std::optional<bdg::Decimal> exact(Operation operation) {
    try {
        return operation();
    } catch (const bdg::DecimalError&) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    const auto a = bdg::Decimal::fromString(bar < 0 ? text : text.left(bar));
    const auto b = bdg::Decimal::fromString(bar < 0 ? QStringLiteral("1") : text.mid(bar + 1));
    if (!a || !b)
        return 0;
    // Its own text reads back as the same value; normalizing keeps it.
    require(bdg::Decimal::fromString(a->toString()) == *a);
    require(a->normalized() == *a);
    // Sums and products commute; a difference undoes its sum.
    const auto sum = exact([&] { return *a + *b; });
    const auto reversed = exact([&] { return *b + *a; });
    require(sum.has_value() == reversed.has_value());
    if (sum) {
        require(*sum == *reversed);
        const auto back = exact([&] { return *sum - *b; });
        require(back && *back == *a);
    }
    const auto product = exact([&] { return *a * *b; });
    const auto swapped = exact([&] { return *b * *a; });
    require(product.has_value() == swapped.has_value());
    if (product)
        require(*product == *swapped);
    // Order is total and antisymmetric.
    require((*a < *b) == (*b > *a));
    // Division, rounding and rescaling give an answer within their scale, or an error.
    for (const bdg::Rounding rounding :
         {bdg::Rounding::HalfAwayFromZero, bdg::Rounding::HalfEven, bdg::Rounding::TowardZero}) {
        if (const auto quotient = exact([&] { return a->divide(*b, 6, rounding); }))
            require(quotient->scale() <= 6);
        if (const auto rounded = exact([&] { return a->round(2, rounding); })) {
            require(rounded->scale() <= 2);
            if (const auto error = exact([&] { return (*rounded - *a).abs(); }))
                require(*error < bdg::Decimal::parse(u"0.01"));
        }
    }
    exact([&] { return a->rescaled(b->scale()); });
    (void)a->toDouble();
    return 0;
}
