// SPDX-License-Identifier: MIT
// The histogram of a frame's gray levels: the counts in equal bins over the
// level scale of the frame's depth, and how many pixels sit at full scale.
#pragma once

#include <cstdint>
#include <vector>

#include "frame_image.h"

namespace quelix::viewer {

struct Histogram {
    int levelMaximum = 0;          // 255 or 16383
    std::vector<uint64_t> counts;  // bin i holds levels [i * binWidth, (i + 1) * binWidth)
    uint64_t saturated = 0;        // pixels at levelMaximum (a colour pixel: any channel)
    uint64_t pixels = 0;
    uint64_t Peak() const;
};

// Counts the gray level of every pixel (for colour, the largest channel) in
// `bins` equal bins, 1 to 4096, held to the number of levels; an invalid
// frame gives empty counts.
Histogram MakeHistogram(const FrameImage& frame, int bins);

// The bin height as a fraction 0 to 1 of the peak: linear, or log(1 + n) / log(1 + peak).
double BinFraction(uint64_t count, uint64_t peak, bool logarithmic);

}  // namespace quelix::viewer
