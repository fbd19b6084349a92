// SPDX-License-Identifier: MIT
// What the camera looks at: the light reaching each pixel of the sensor, or
// for raw scenes the exact samples to deliver.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quelix::sim {

enum class SceneKind {
    Dark,     // shutter closed
    Flat,     // uniform light
    Chart,    // a static test chart: gradients, edges, bars and shapes
    Moving,   // a warm target moving across a cooler background
    Raw,      // samples from a file, delivered exactly
    Counter,  // samples computed from the frame's trailer, to tell a whole frame from a torn one
};

// Radiance is relative: 1.0 gives kSignalPerLine DN per exposure line at unit gain.
inline constexpr float kSignalPerLine = 40.0f;
inline constexpr float kFlatRadiance = 0.5f;

struct Scene {
    SceneKind kind = SceneKind::Flat;
    std::string name;
    std::vector<float> radiance;  // 320 x 256; for a moving scene its background
    std::vector<uint16_t> raw;    // 320 x 256 samples of a raw scene
};

// The moving scene's target in one frame: a bright disc.
struct MovingTarget {
    double centreX = 0;
    double centreY = 0;
    double radius = 0;
    float radiance = 0;
};
MovingTarget TargetInFrame(uint64_t frameIndex);

// Sample i (row by row in the window) of a counter-scene frame with this trailer.
inline uint16_t CounterSample(uint16_t trailer, size_t i)
{
    return uint16_t((uint32_t(trailer) * 7919u + uint32_t(i)) & 0x3FFFu);
}

// The scene of a name: dark, flat, chart, moving, counter, raw:FILE (a file of exactly
// 320 x 256 little-endian 16-bit samples). Null with a message in `error`
// when the name is unknown or the file cannot be used.
std::shared_ptr<const Scene> LoadScene(const std::string& name, std::string& error);

}  // namespace quelix::sim
