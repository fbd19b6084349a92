// SPDX-License-Identifier: MIT
#include "sample_alignment.h"

#include <cstring>

namespace quelix::gst {

void AlignSamples(const ColourMode& mode, bool msbAlign, uint8_t* data, size_t stride, size_t rowBytes,
                  size_t rows)
{
    if (!mode.fourteenBitWords || (!msbAlign && !mode.fourthWordIsAlpha))
        return;
    const size_t words = rowBytes / 2;
    for (size_t row = 0; row < rows; ++row) {
        uint8_t* p = data + row * stride;
        for (size_t i = 0; i < words; ++i) {
            uint16_t word;
            std::memcpy(&word, p + 2 * i, 2);  // little-endian words on a little-endian host
            if (mode.fourthWordIsAlpha && i % 4 == 3)
                word = 0xFFFF;
            else if (msbAlign)
                word = static_cast<uint16_t>(word << 2);
            std::memcpy(p + 2 * i, &word, 2);
        }
    }
}

}  // namespace quelix::gst
