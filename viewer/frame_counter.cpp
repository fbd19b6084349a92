// SPDX-License-Identifier: MIT
#include "frame_counter.h"

#include <cstddef>

namespace quelix::viewer {

namespace {

constexpr double kRateWindowSeconds = 1.0;
constexpr size_t kMaxArrivals = 4096;  // far above any rate the camera reaches

}  // namespace

uint32_t FrameCounter::Arrived(uint16_t trailer, double seconds)
{
    uint32_t missing = 0;
    if (haveLast_)
        missing = static_cast<uint16_t>(trailer - last_ - 1);
    // A repeated or backward counter (0xFFFF missing) is a camera that started
    // again, not 65535 lost frames.
    if (missing == 0xFFFF)
        missing = 0;
    haveLast_ = true;
    last_ = trailer;
    ++frames_;
    dropped_ += missing;
    arrivals_.push_back(seconds);
    while (arrivals_.size() > kMaxArrivals ||
           (!arrivals_.empty() && arrivals_.front() <= seconds - kRateWindowSeconds))
        arrivals_.pop_front();
    return missing;
}

void FrameCounter::Restart()
{
    haveLast_ = false;
    arrivals_.clear();
}

double FrameCounter::Rate(double now) const
{
    size_t count = 0;
    for (double arrival : arrivals_) {
        if (arrival > now - kRateWindowSeconds && arrival <= now)
            ++count;
    }
    return count / kRateWindowSeconds;
}

}  // namespace quelix::viewer
