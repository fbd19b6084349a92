// SPDX-License-Identifier: MIT
// What `quelix stream` reports about frames: the samples' mean, minimum and
// maximum, and the frames the camera made that never arrived (gaps in the
// trailer counter).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quelix::tool {

struct SampleStatistics {
    double mean = 0;
    uint32_t minimum = 0;
    uint32_t maximum = 0;
};

// Over the colour samples of a frame in the caller's buffer (rows of
// `stride` bytes; the fourth byte or word of 32 and 64-bit pixels is not a
// colour and is skipped).
SampleStatistics MeasureFrame(const uint8_t* pixels, int width, int height, int stride, int bitCount);

// Counts the frames missing between successive trailer words (16 bits, wrapping).
class DropCounter {
public:
    void Add(uint16_t trailer);
    uint64_t Dropped() const { return dropped_; }

private:
    bool started_ = false;
    uint16_t last_ = 0;
    uint64_t dropped_ = 0;
};

// The latencies of the frames of one report, and their percentiles.
class LatencyWindow {
public:
    struct Summary {
        size_t frames = 0;
        double medianMs = 0;
        double p99Ms = 0;
        double p999Ms = 0;
    };
    void Add(double milliseconds) { values_.push_back(milliseconds); }
    // The percentiles of the latencies added since the last call, which are then forgotten.
    Summary Take();

private:
    std::vector<double> values_;
};

}  // namespace quelix::tool
