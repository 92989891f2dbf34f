#pragma once

#include <cstdint>
#include <string_view>

namespace kavex::services {

// Stable hashing for the synthetic data: the same inputs give the same numbers on every run and
// machine (std::hash promises neither).
constexpr std::uint64_t mix(std::uint64_t value) noexcept {
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27U)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31U);
}

constexpr std::uint64_t hashText(std::string_view text) noexcept {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    return mix(hash);
}

constexpr std::uint64_t combine(std::uint64_t seed, std::uint64_t value) noexcept {
    return mix(seed ^ mix(value + 0x632BE59BD9B4E019ULL));
}

// A number in [0, 1) drawn from a seed and a value.
constexpr double uniform(std::uint64_t seed, std::uint64_t value) noexcept {
    return static_cast<double>(combine(seed, value) >> 11U) * 0x1.0p-53;
}

}  // namespace kavex::services
