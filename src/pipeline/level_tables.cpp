// SPDX-License-Identifier: MIT
#include "pipeline/level_tables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quelix {

namespace {

double GammaExponent(int32_t gamma)
{
    if (gamma > 100)
        return static_cast<double>(gamma - 100) / 10.0 + 1.0;
    return static_cast<double>(gamma) / 100.0;
}

}  // namespace

LevelTable8 GammaTable8(int32_t gamma)
{
    const double exponent = GammaExponent(gamma);
    LevelTable8 table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(static_cast<int32_t>(std::pow(i / 255.0, exponent) * 255.0));
    return table;
}

LevelTable16 GammaTable16(int32_t gamma, int32_t bits)
{
    const double exponent = GammaExponent(gamma);
    const int32_t count = 1 << bits;
    LevelTable16 table(static_cast<size_t>(count) + 1);
    for (int32_t i = 0; i < count; ++i) {
        table[i] = static_cast<uint16_t>(static_cast<int32_t>(
            std::pow(static_cast<double>(i) / static_cast<double>(count), exponent) * (count - 1)));
    }
    table[count] = table[count - 1];
    return table;
}

LevelTable8 ContrastTable8(int32_t contrast)
{
    LevelTable8 table{};
    if (contrast >= 128)
        return table;
    const double slope = 256.0 / (256 - 2 * contrast);
    for (int32_t i = 0; i < 256; ++i) {
        if (i < contrast)
            table[i] = 0;
        else if (i > 255 - contrast)
            table[i] = 255;
        else
            table[i] = static_cast<uint8_t>(static_cast<int32_t>(slope * (i - contrast)));
    }
    return table;
}

LevelTable16 ContrastTable16(int32_t contrast, int32_t bits)
{
    const int32_t count = 1 << bits;
    const int32_t full = count - 1;
    const int32_t k = contrast * (1 << (bits - 8));
    LevelTable16 table(static_cast<size_t>(count) + 1, 0);
    table[count] = static_cast<uint16_t>(full);
    if (k > (1 << (bits - 1)) - 1)
        return table;
    const double slope = count / static_cast<double>(count - 2 * k);
    for (int32_t i = 0; i < count; ++i) {
        if (i < k)
            table[i] = 0;
        else if (i > count - k - 1)
            table[i] = static_cast<uint16_t>(full);
        else
            table[i] = static_cast<uint16_t>(static_cast<int32_t>(slope * (i - k)));
    }
    return table;
}

float BrightnessFactor(int32_t brightness)
{
    double factor = 1.0;
    if (brightness < 0)
        factor = 1.0 - std::abs(brightness) * (1.0 / 255.0);
    else if (brightness > 0)
        factor = 1.0 + brightness * (10.0 / 255.0);
    return static_cast<float>(factor);
}

}  // namespace quelix
