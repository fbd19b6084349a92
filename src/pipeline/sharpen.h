// SPDX-License-Identifier: MIT
// The sharpening pass behind the Sharpen kernels, which the correction
// pipeline also runs whole: every pixel written (the two outer rows and
// columns as the source has them) and brightness applied to each result in
// the same pass.
#pragma once

#include <cstdint>

#include "image/kernel_loops.h"

namespace quelix {

struct SharpenRequest {
    int32_t sampleBytes;      // 1 or 2
    int32_t channels;         // 1 (mono) or 3 (B, G, R; a fourth sample of a pixel is kept)
    int32_t strength;         // the sharpness setting
    int32_t significantBits;  // of 16-bit samples
    int32_t brightness;       // setting applied after sharpening; 0: none
    bool border;              // write the outer two rows and columns, and kept samples, from the source too
};

// Sharpens the kernel rectangle of the source into the destination; 1.
int32_t SharpenPass(const KernelArgs& a, const SharpenRequest& request);

}  // namespace quelix
