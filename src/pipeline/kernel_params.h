// SPDX-License-Identifier: MIT
// The parameter blocks the correction pipeline hands its pixel kernels as the
// first opaque argument of Convert.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quelix {

// Per-phase gray balance on a 2 x 2 colour-filter pattern. bayerMode (0 to 3)
// gives the phase of the first pixel; gains are 128 for unity.
struct GrayParams {
    int32_t bayerMode;
    int32_t grayGainR;
    int32_t grayGainG1;
    int32_t grayGainG2;
    int32_t grayGainB;
    int32_t grayOffsetR;
    int32_t grayOffsetG1;
    int32_t grayOffsetG2;
    int32_t grayOffsetB;
};

// Hue rotation in degrees and saturation (-255 to 255) of the colour
// kernels. The lightness word is always 0 (no lightness shift); the colour
// kernels for 16-bit samples take their significant bits from the last word.
struct HueSatParams {
    int32_t hue;
    int32_t lightness;
    int32_t saturation;
    int32_t significantBits;
};

// One setting of the level kernels (gamma, contrast, sharpness or
// brightness) and the significant bits of 16-bit samples.
struct LevelParams {
    int32_t setting;
    int32_t significantBits;
};

inline constexpr int32_t kSignificantBits = 14;

// The bit count B the 16-bit kernels work with: the given one kept to 8 ... 16.
inline int32_t SampleBits(int32_t significantBits)
{
    return std::clamp(significantBits, 8, 16);
}

}  // namespace quelix
