// SPDX-License-Identifier: MIT
// Turns the library's frame into what the GStreamer format promises: 14-bit
// samples shifted to the top of their 16-bit words (when asked), and the
// unused fourth word of 64-bit pixels made an opaque alpha.
#pragma once

#include <cstddef>
#include <cstdint>

#include "video_formats.h"

namespace quelix::gst {

// `data`: `rows` rows of `stride` bytes, `rowBytes` of them pixels.
void AlignSamples(const ColourMode& mode, bool msbAlign, uint8_t* data, size_t stride, size_t rowBytes,
                  size_t rows);

}  // namespace quelix::gst
