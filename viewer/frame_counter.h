// SPDX-License-Identifier: MIT
// Counting the frames that reach the viewer: the camera's 16-bit frame
// counter (the trailer word) tells the frames that never arrived, the
// arrival times the host's frame rate.
#pragma once

#include <cstdint>
#include <deque>

namespace quelix::viewer {

class FrameCounter {
public:
    // A frame with this trailer arrived at `seconds` (monotonic). Returns the
    // frames missing before it: the gap in the trailer words, 0 for the first
    // frame and after Restart().
    uint32_t Arrived(uint16_t trailer, double seconds);
    // The next frame starts a new run (the stream was restarted, the camera
    // powered on afresh): its trailer is not compared with the last.
    void Restart();

    uint64_t Frames() const { return frames_; }
    uint64_t Dropped() const { return dropped_; }
    // Frames per second: the arrivals in the second up to `now` (now - 1 s, now].
    double Rate(double now) const;

private:
    bool haveLast_ = false;
    uint16_t last_ = 0;
    uint64_t frames_ = 0;
    uint64_t dropped_ = 0;
    std::deque<double> arrivals_;  // the last second's arrival times
};

}  // namespace quelix::viewer
