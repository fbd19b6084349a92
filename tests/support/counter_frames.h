// SPDX-License-Identifier: MIT
// Checks frames of the simulated camera's counter scene as they reach the
// application in colour mode 1 (16-bit samples as the camera sent them):
// sample i of the window is a function of the frame's trailer, so a frame
// that is torn, sheared or of the wrong size fails the check.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sim/scene.h"

namespace quelix::test {

// The frame's 16-bit samples in memory order, `pixels` of them, packed.
// The trailer is taken from sample 0 (7919 is odd, so it has an inverse
// modulo 2^14) and every other sample is checked against it.
inline bool IsWholeCounterFrame16(const uint8_t* samples, size_t pixels)
{
    if (pixels == 0)
        return false;
    uint32_t inverse = 1;  // Newton's iteration for the inverse of 7919 modulo 2^32
    for (int step = 0; step < 5; ++step)
        inverse *= 2u - 7919u * inverse;
    const uint16_t first = static_cast<uint16_t>(samples[0] | samples[1] << 8);
    const auto trailer = static_cast<uint16_t>((first * inverse) & 0x3FFFu);
    for (size_t i = 0; i < pixels; ++i) {
        const uint16_t sample = static_cast<uint16_t>(samples[2 * i] | samples[2 * i + 1] << 8);
        if (sample != sim::CounterSample(trailer, i))
            return false;
    }
    return true;
}

}  // namespace quelix::test
