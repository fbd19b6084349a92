// SPDX-License-Identifier: MIT
#include "sim/random.h"

#include <array>
#include <cmath>
#include <numbers>

namespace quelix::sim {

double Random::Normal()
{
    const double u1 = 1.0 - Uniform();  // (0, 1]
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
}

const float* NormalTable()
{
    static const std::array<float, kNormalTableSize> table = [] {
        std::array<float, kNormalTableSize> values{};
        for (int i = 0; i < kNormalTableSize; ++i) {
            // Invert the normal distribution function by bisection.
            const double p = (i + 0.5) / kNormalTableSize;
            double low = -8.0;
            double high = 8.0;
            for (int step = 0; step < 60; ++step) {
                const double middle = 0.5 * (low + high);
                (0.5 * std::erfc(-middle / std::numbers::sqrt2) < p ? low : high) = middle;
            }
            values[i] = float(0.5 * (low + high));
        }
        return values;
    }();
    return table.data();
}

}  // namespace quelix::sim
