// SPDX-License-Identifier: MIT
#include "sim/sensor_pixels.h"

#include <cmath>

#include "sim/camera_registers.h"
#include "sim/random.h"

namespace quelix::sim {

SensorPixels MakeSensorPixels(uint64_t sensorSeed)
{
    constexpr int kPixels = kSensorWidth * kSensorHeight;
    SensorPixels pixels;
    pixels.darkOffset.resize(kPixels);
    pixels.darkRate.resize(kPixels);
    pixels.response.resize(kPixels);
    Random random(sensorSeed);
    const double centreX = (kSensorWidth - 1) / 2.0;
    const double centreY = (kSensorHeight - 1) / 2.0;
    const double cornerSquared = centreX * centreX + centreY * centreY;
    for (int y = 0; y < kSensorHeight; ++y) {
        for (int x = 0; x < kSensorWidth; ++x) {
            const int i = y * kSensorWidth + x;
            const double dx = x - centreX;
            const double dy = y - centreY;
            const double vignette = 1.0 - kVignetting * (dx * dx + dy * dy) / cornerSquared;
            pixels.darkOffset[i] = float(kDarkOffsetMean + kDarkOffsetSpread * random.Normal());
            pixels.darkRate[i] = float(kDarkRateMean * std::exp(0.4 * random.Normal()));
            pixels.response[i] = float(vignette * (1.0 + kResponseSpread * random.Normal()));
            const double defect = random.Uniform();
            if (defect < kHotPixelShare)
                pixels.darkOffset[i] =
                    float(kHotPixelDarkLevel + (16300.0 - kHotPixelDarkLevel) * random.Uniform());
            else if (defect < kHotPixelShare + kDeadPixelShare)
                pixels.response[i] = float(0.02 * random.Uniform());
        }
    }
    return pixels;
}

}  // namespace quelix::sim
