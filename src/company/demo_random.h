#pragma once

#include <cstdint>

namespace bdg {

/// The demo company's own random numbers (SplitMix64).
///
/// The generator must give the same figures on every engine, compiler and standard library,
/// so it uses neither std::rand nor the <random> distributions (whose results are left to the
/// library): only 64-bit integer arithmetic, fully specified.
class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        m_state += 0x9E3779B97F4A7C15ULL;
        std::uint64_t value = m_state;
        value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
        value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
        return value ^ (value >> 31);
    }

    /// A number from `low` to `high`, both included (low <= high). The slight bias of the
    /// modulo does not matter for demo figures, and keeps the sequence easy to reproduce.
    std::int64_t between(std::int64_t low, std::int64_t high) {
        const auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<std::int64_t>(next() % span);
    }

    /// `value` multiplied by a random factor between lowPerMille and highPerMille
    /// thousandths, rounded half away from zero to an integer.
    std::int64_t scaled(std::int64_t value, int lowPerMille, int highPerMille) {
        const std::int64_t factor = between(lowPerMille, highPerMille);
        const std::int64_t product = value * factor;
        return product >= 0 ? (product + 500) / 1000 : -((-product + 500) / 1000);
    }

private:
    std::uint64_t m_state;
};

} // namespace bdg
