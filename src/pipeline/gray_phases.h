// SPDX-License-Identifier: MIT
// The 2 x 2 colour-filter phases of the gray balance. The first pixel's
// phase comes from bayerMode; the row phase flips at every row, the column
// phase after every pixel, carrying over from one row into the next.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "pipeline/kernel_params.h"

namespace quelix {

// Phase index: row phase x 2 + column phase.
enum GrayPhase : int { kPhaseG1 = 0, kPhaseR = 1, kPhaseB = 2, kPhaseG2 = 3 };

// The phase of the first pixel of `row` in an image `width` pixels wide.
inline int RowStartPhase(int32_t bayerMode, int32_t row, int32_t width)
{
    const int rowPhase = (bayerMode & 1) ^ (row & 1);
    const int columnPhase = ((bayerMode >> 1) & 1) ^ static_cast<int>((int64_t{row} * width) & 1);
    return rowPhase * 2 + columnPhase;
}

inline std::array<int32_t, 4> PhaseGains(const GrayParams& p)
{
    return {p.grayGainG1, p.grayGainR, p.grayGainB, p.grayGainG2};
}

inline std::array<int32_t, 4> PhaseOffsets(const GrayParams& p)
{
    return {p.grayOffsetG1, p.grayOffsetR, p.grayOffsetB, p.grayOffsetG2};
}

// offset + gain x value / 128 (truncating), limited to 0 ... 255.
inline uint8_t GrayBalanceLevel(int32_t value, int32_t gain, int32_t offset)
{
    return static_cast<uint8_t>(std::clamp<int64_t>(offset + int64_t{gain} * value / 128, 0, 255));
}

}  // namespace quelix
