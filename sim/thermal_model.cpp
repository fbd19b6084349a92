// SPDX-License-Identifier: MIT
#include "sim/thermal_model.h"

#include <algorithm>
#include <cmath>

namespace quelix::sim {

double CoolingTarget(uint8_t peltierLevel)
{
    return kAmbientCelsius - kFullCoolingCelsius * peltierLevel / 255.0;
}

double ApproachTemperature(double celsius, double target, double seconds)
{
    return target + (celsius - target) * std::exp(-std::max(seconds, 0.0) / kThermalTimeConstantSeconds);
}

uint16_t TemperatureReading(double celsius)
{
    const double millivolts = 740.0 - (celsius - 27.0) * 1.48;
    const double reading = millivolts * 4096.0 / 3300.0;
    return uint16_t(std::clamp(reading, 0.0, 4095.0));
}

double DarkCurrentFactor(double celsius)
{
    return std::exp2((celsius - kAmbientCelsius) / 6.0);
}

}  // namespace quelix::sim
