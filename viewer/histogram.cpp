// SPDX-License-Identifier: MIT
#include "histogram.h"

#include <algorithm>
#include <cmath>

namespace quelix::viewer {

uint64_t Histogram::Peak() const
{
    return counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
}

Histogram MakeHistogram(const FrameImage& frame, int bins)
{
    Histogram histogram;
    if (!frame.Valid())
        return histogram;
    histogram.levelMaximum = LevelMaximum(frame.bits);
    const int levels = histogram.levelMaximum + 1;
    bins = std::clamp(bins, 1, std::min(4096, levels));
    histogram.counts.assign(static_cast<size_t>(bins), 0);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const PixelValue value = ReadPixel(frame, x, y);
            const int level = std::clamp(value.gray, 0, histogram.levelMaximum);
            // Multiplying first keeps every bin the same number of levels wide
            // (up to one) without floating point.
            const size_t bin = static_cast<size_t>(static_cast<int64_t>(level) * bins / levels);
            ++histogram.counts[bin];
            if (value.gray >= histogram.levelMaximum)
                ++histogram.saturated;
        }
    }
    histogram.pixels = static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height);
    return histogram;
}

double BinFraction(uint64_t count, uint64_t peak, bool logarithmic)
{
    if (peak == 0)
        return 0.0;
    if (!logarithmic)
        return static_cast<double>(count) / static_cast<double>(peak);
    return std::log1p(static_cast<double>(count)) / std::log1p(static_cast<double>(peak));
}

}  // namespace quelix::viewer
