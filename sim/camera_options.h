// SPDX-License-Identifier: MIT
// How a simulated camera behaves: what it looks at, which sensor it has, and
// how fast and how noisily it delivers frames (docs/camera-model.md).
#pragma once

#include <cstdint>
#include <string>

namespace quelix::sim {

struct CameraOptions {
    // dark, flat, chart, moving, counter, or raw:FILE (320 x 256 little-endian 16-bit samples).
    std::string scene = "flat";
    // The sensor's fixed pattern (offsets, gains, defects) and its noise follow
    // from the seed and the device number.
    uint64_t seed = 1;
    // Deliver frames as fast as they are read instead of at the sensor's frame rate.
    bool fast = false;
    // Shot and read noise.
    bool noise = true;
    // A trigger pulse every so many milliseconds; 0: triggers only on command.
    int triggerEveryMs = 0;
    // Above 0: device N listens on 127.0.0.1 at this port + N instead of its
    // Unix node, for clients without Unix sockets (the Windows DLL under Wine).
    int tcpPort = 0;
};

}  // namespace quelix::sim
