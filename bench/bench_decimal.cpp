// Cost of exact amounts against the machine's own numbers. A run adds and compares
// millions of amounts, so a Decimal addition has to stay within a small factor of an
// int64 one. Prints nanoseconds per operation and the ratios; asserts nothing.

#include "data/variant.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

using bdg::Decimal;
using bdg::Variant;

namespace {

// Small enough to stay in the cache: the figures are the cost of the arithmetic, not of
// the memory bus (a Decimal takes 32 bytes against 8 of an int64).
constexpr int Count = 100'000;
constexpr int Passes = 20;

constexpr int Rounds = 5;

// Best of a few rounds: the machine is shared, and the fastest round is the least disturbed.
template <typename Work> double nanosecondsPerItem(Work work) {
    double best = 0;
    for (int round = 0; round < Rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int pass = 0; pass < Passes; ++pass)
            work();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const double nanoseconds = std::chrono::duration<double, std::nano>(elapsed).count();
        best = (round == 0 || nanoseconds < best) ? nanoseconds : best;
    }
    return best / (double(Count) * Passes);
}

// Amounts as a budget table holds them: cents between -50000.00 and 50000.00.
std::vector<std::int64_t> centAmounts() {
    std::vector<std::int64_t> cents(Count);
    std::uint64_t state = 88172645463325252ULL;
    for (auto& amount : cents) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        amount = static_cast<std::int64_t>(state % 10'000'001) - 5'000'000;
    }
    return cents;
}

void report(const char* what, double nanoseconds, double baseline, const char* baselineName) {
    std::printf("%-40s %8.2f ns/op   %6.2fx %s\n", what, nanoseconds, nanoseconds / baseline,
                baselineName);
}

} // namespace

int main() {
    const std::vector<std::int64_t> cents = centAmounts();
    std::vector<Decimal> amounts;
    std::vector<Decimal> rates; // four places, as exchange factors and percentages have
    std::vector<double> doubles;
    std::vector<Variant> variants;
    amounts.reserve(Count);
    rates.reserve(Count);
    doubles.reserve(Count);
    variants.reserve(Count);
    for (const std::int64_t amount : cents) {
        amounts.push_back(Decimal::fromMantissa(amount, 2));
        rates.push_back(Decimal::fromMantissa(amount, 4));
        doubles.push_back(double(amount) / 100);
        variants.emplace_back(amounts.back());
    }

    volatile std::int64_t sinkInteger = 0;
    volatile double sinkDouble = 0;
    volatile int sinkOrder = 0;
    volatile qsizetype sinkLength = 0;

    const double integerAdd = nanosecondsPerItem([&] {
        std::int64_t total = 0;
        for (const std::int64_t amount : cents)
            total += amount;
        sinkInteger = total;
    });
    const double doubleAdd = nanosecondsPerItem([&] {
        double total = 0;
        for (const double amount : doubles)
            total += amount;
        sinkDouble = total;
    });
    const double decimalAdd = nanosecondsPerItem([&] {
        Decimal total;
        for (const Decimal& amount : amounts)
            total += amount;
        sinkInteger = total.toInt64().value_or(0);
    });
    const double decimalAddMixed = nanosecondsPerItem([&] {
        Decimal total;
        for (std::size_t index = 0; index < amounts.size(); ++index)
            total += (index % 2 == 0) ? amounts[index] : rates[index];
        sinkInteger = total.toInt64().value_or(0);
    });
    const double integerCompare = nanosecondsPerItem([&] {
        int order = 0;
        for (std::size_t index = 1; index < cents.size(); ++index)
            order += cents[index - 1] < cents[index] ? 1 : 0;
        sinkOrder = order;
    });
    const double decimalCompare = nanosecondsPerItem([&] {
        int order = 0;
        for (std::size_t index = 1; index < amounts.size(); ++index)
            order += amounts[index - 1] < amounts[index] ? 1 : 0;
        sinkOrder = order;
    });
    const double decimalCompareMixed = nanosecondsPerItem([&] {
        int order = 0;
        for (std::size_t index = 1; index < amounts.size(); ++index)
            order += amounts[index - 1] < rates[index] ? 1 : 0;
        sinkOrder = order;
    });
    const double variantCompare = nanosecondsPerItem([&] {
        int order = 0;
        for (std::size_t index = 1; index < variants.size(); ++index)
            order += variants[index - 1].compare(variants[index]);
        sinkOrder = order;
    });
    const double integerText = nanosecondsPerItem([&] {
        qsizetype length = 0;
        for (const std::int64_t amount : cents)
            length += QString::number(amount).size();
        sinkLength = length;
    });
    const double decimalText = nanosecondsPerItem([&] {
        qsizetype length = 0;
        for (const Decimal& amount : amounts)
            length += amount.toString().size();
        sinkLength = length;
    });
    const double doubleText = nanosecondsPerItem([&] {
        qsizetype length = 0;
        for (const double amount : doubles)
            length += QString::number(amount, 'f', 2).size();
        sinkLength = length;
    });
    const Decimal hundred(100);
    const double decimalPercent = nanosecondsPerItem([&] {
        qsizetype nonZero = 0;
        for (std::size_t index = 1; index < amounts.size(); ++index) {
            if (!amounts[index].isZero())
                nonZero += (amounts[index - 1] * hundred).divide(amounts[index], 2).sign();
        }
        sinkLength = nonZero;
    });
    const double doublePercent = nanosecondsPerItem([&] {
        double total = 0;
        for (std::size_t index = 1; index < doubles.size(); ++index) {
            if (doubles[index] != 0)
                total += doubles[index - 1] * 100 / doubles[index];
        }
        sinkDouble = total;
    });

    std::printf("bench_decimal: %d amounts with 2 places, %d passes, best of %d rounds\n", Count,
                Passes, Rounds);
    report("int64 addition", integerAdd, integerAdd, "int64");
    report("double addition", doubleAdd, integerAdd, "int64");
    report("Decimal addition, same scale", decimalAdd, integerAdd, "int64");
    report("Decimal addition, scales 2 and 4", decimalAddMixed, integerAdd, "int64");
    report("int64 comparison", integerCompare, integerCompare, "int64");
    report("Decimal comparison, same scale", decimalCompare, integerCompare, "int64");
    report("Decimal comparison, scales 2 and 4", decimalCompareMixed, integerCompare, "int64");
    report("Variant compare, decimals", variantCompare, integerCompare, "int64");
    report("QString::number(int64)", integerText, integerText, "int64 text");
    report("QString::number(double, 'f', 2)", doubleText, integerText, "int64 text");
    report("Decimal::toString", decimalText, integerText, "int64 text");
    report("double percentage", doublePercent, doublePercent, "double");
    report("Decimal percentage (multiply, divide)", decimalPercent, doublePercent, "double");
    return 0;
}
