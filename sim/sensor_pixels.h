// SPDX-License-Identifier: MIT
// The fixed pattern of one sensor: per-pixel dark offset, dark current and
// response (gain non-uniformity and vignetting), with hot and dead pixels.
// Drawn once from the sensor's seed; the same seed gives the same sensor.
#pragma once

#include <cstdint>
#include <vector>

namespace quelix::sim {

inline constexpr float kDarkOffsetMean = 600.0f;   // DN
inline constexpr float kDarkOffsetSpread = 20.0f;  // DN, standard deviation
inline constexpr float kDarkRateMean = 0.02f;      // DN per exposure line at ambient temperature
inline constexpr float kResponseSpread = 0.015f;   // relative standard deviation of the pixel gain
inline constexpr float kVignetting = 0.3f;         // response loss in the corners
inline constexpr double kHotPixelShare = 3e-4;     // of all pixels
inline constexpr double kDeadPixelShare = 2e-4;
inline constexpr float kHotPixelDarkLevel = 12400.0f;  // a hot pixel's dark level is at least this

// Maps over the whole sensor, row by row (320 x 256).
struct SensorPixels {
    std::vector<float> darkOffset;  // DN
    std::vector<float> darkRate;    // DN per exposure line at ambient temperature
    std::vector<float> response;    // relative gain, vignetting included; near 0 for dead pixels
};

SensorPixels MakeSensorPixels(uint64_t sensorSeed);

}  // namespace quelix::sim
