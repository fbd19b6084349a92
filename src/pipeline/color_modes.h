// SPDX-License-Identifier: MIT
// The six colour modes in one table: the output's bits per pixel, what
// Quelix_GetColorMode reports for it (modes with 14-bit samples in 16-bit
// words report two bits less), and the depth of the work image the
// correction runs on (and of the raw frame the camera sends for it).
#pragma once

#include <array>
#include <cstdint>

namespace quelix {

struct ColorMode {
    int32_t bits;
    int32_t reportedBits;
    int32_t workBits;
};

inline constexpr std::array<ColorMode, 6> kColorModes = {{
    {8, 8, 8},
    {16, 14, 16},
    {24, 24, 8},
    {32, 32, 8},
    {48, 46, 16},
    {64, 62, 16},
}};

// The mode's entry; null for a mode outside 0 to 5.
inline const ColorMode* ColorModeOf(int32_t mode)
{
    return mode >= 0 && mode < static_cast<int32_t>(kColorModes.size())
               ? &kColorModes[static_cast<size_t>(mode)]
               : nullptr;
}

// true for the modes whose work image and raw frame hold 16-bit samples.
inline bool UsesWideWork(int32_t mode)
{
    const ColorMode* entry = ColorModeOf(mode);
    return entry != nullptr && entry->workBits == 16;
}

}  // namespace quelix
