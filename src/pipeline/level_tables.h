// SPDX-License-Identifier: MIT
// The lookup tables of the gamma and contrast kernels and the factor of the
// brightness kernels, built from a setting.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quelix {

using LevelTable8 = std::array<uint8_t, 256>;
// 2^bits + 1 entries: the level of each sample below 2^bits, then the level
// of every sample at or above 2^bits. Index: min(sample, 2^bits).
using LevelTable16 = std::vector<uint16_t>;

// Gamma setting G (0 ... 200, 100 neutral): exponent (G - 100) / 10 + 1
// above 100, else G / 100. 8 bits: t[i] = trunc(pow(i / 255, g) x 255).
// 16 bits, N = 2^bits: t[i] = trunc(pow(i / N, g) x (N - 1)); samples at or
// above N take t[N - 1].
LevelTable8 GammaTable8(int32_t gamma);
LevelTable16 GammaTable16(int32_t gamma, int32_t bits);

// Contrast setting c (-127 ... 127): a ramp of slope 256 / (256 - 2c) from
// (c, 0), limited to 0 ... 255; 16 bits the same with k = c x 2^(bits - 8)
// and full scale N - 1, samples at or above N giving N - 1.
LevelTable8 ContrastTable8(int32_t contrast);
LevelTable16 ContrastTable16(int32_t contrast, int32_t bits);

// Brightness setting b (-255 ... 255): 1 - |b| / 255 below 0, 1 + 10 b / 255
// above, computed in double and used in single precision.
// Each sample becomes trunc(v x factor) in single precision, limited to full
// scale (BrightenLevel).
float BrightnessFactor(int32_t brightness);

// One sample brightened: trunc(v x factor) in single precision, limited to 0 ... full.
inline int32_t BrightenLevel(int32_t level, float factor, int32_t full)
{
    const auto scaled = static_cast<int32_t>(static_cast<float>(level) * factor);
    return scaled < 0 ? 0 : scaled > full ? full : scaled;
}

}  // namespace quelix
