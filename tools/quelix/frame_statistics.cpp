// SPDX-License-Identifier: MIT
#include "quelix/frame_statistics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quelix::tool {

SampleStatistics MeasureFrame(const uint8_t* pixels, int width, int height, int stride, int bitCount)
{
    const bool wide = bitCount == 16 || bitCount == 48 || bitCount == 64;
    const int samplesPerPixel = bitCount == 8 || bitCount == 16 ? 1 : 3;
    const int pixelBytes = bitCount / 8;
    SampleStatistics statistics;
    if (pixels == nullptr || width <= 0 || height <= 0)
        return statistics;
    uint64_t sum = 0;
    uint32_t minimum = UINT32_MAX;
    uint32_t maximum = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = row + static_cast<size_t>(x) * pixelBytes;
            for (int s = 0; s < samplesPerPixel; ++s) {
                uint32_t value = pixel[s];
                if (wide) {
                    uint16_t word = 0;
                    std::memcpy(&word, pixel + 2 * s, 2);
                    value = word;
                }
                sum += value;
                minimum = std::min(minimum, value);
                maximum = std::max(maximum, value);
            }
        }
    }
    statistics.mean = static_cast<double>(sum) / (static_cast<double>(width) * height * samplesPerPixel);
    statistics.minimum = minimum;
    statistics.maximum = maximum;
    return statistics;
}

void DropCounter::Add(uint16_t trailer)
{
    if (started_) {
        const uint16_t gap = static_cast<uint16_t>(trailer - last_);
        if (gap > 1)
            dropped_ += gap - 1u;
    }
    started_ = true;
    last_ = trailer;
}

LatencyWindow::Summary LatencyWindow::Take()
{
    Summary summary;
    summary.frames = values_.size();
    if (!values_.empty()) {
        std::sort(values_.begin(), values_.end());
        // The value at or below which the fraction of the frames lies (nearest rank).
        const auto rank = [this](double fraction) {
            const auto index = static_cast<size_t>(std::ceil(fraction * static_cast<double>(values_.size())));
            return values_[std::clamp<size_t>(index, 1, values_.size()) - 1];
        };
        summary.medianMs = rank(0.5);
        summary.p99Ms = rank(0.99);
        summary.p999Ms = rank(0.999);
    }
    values_.clear();
    return summary;
}

}  // namespace quelix::tool
