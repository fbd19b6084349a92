// What `quelix stream` reports about frames: the samples' mean, minimum and
// maximum, and the frames the camera made that never arrived (gaps in the
// trailer counter).
#pragma once

#include <cstdint>

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

}  // namespace quelix::tool
