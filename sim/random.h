// SPDX-License-Identifier: MIT
// Deterministic random numbers for the sensor model: the same seed gives the
// same sensor and the same noise on every machine.
#pragma once

#include <cstdint>

namespace quelix::sim {

// SplitMix64's finaliser: a well-mixed 64-bit function of its input.
inline uint64_t Mix64(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// SplitMix64 sequence.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() { return Mix64(state_ += 0x9E3779B97F4A7C15ull); }
    // Uniform in [0, 1).
    double Uniform() { return double(Next() >> 11) * 0x1.0p-53; }
    // Standard normal (Box-Muller).
    double Normal();

private:
    uint64_t state_;
};

// Standard normal values at 4096 evenly spaced quantiles: a draw of 12
// random bits picks one, which makes per-pixel noise cheap.
inline constexpr int kNormalTableSize = 4096;
const float* NormalTable();

}  // namespace quelix::sim
