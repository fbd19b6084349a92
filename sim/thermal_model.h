// SPDX-License-Identifier: MIT
// The sensor's temperature under its Peltier cooler and the reading of the
// camera's temperature sensor (registers 26 and 27).
#pragma once

#include <cstdint>

namespace quelix::sim {

inline constexpr double kAmbientCelsius = 25.0;
inline constexpr double kFullCoolingCelsius = 40.0;  // at Peltier level 255
inline constexpr double kThermalTimeConstantSeconds = 5.0;

// Where the temperature settles for a Peltier level: ambient minus the
// level's share of the full cooling.
double CoolingTarget(uint8_t peltierLevel);

// The temperature after `seconds` of first-order approach toward `target`.
double ApproachTemperature(double celsius, double target, double seconds);

// The 12-bit reading of the sensor voltage: mV = 740 - (T - 27) x 1.48,
// reading = mV x 4096 / 3300, truncated and kept within 0 to 4095.
uint16_t TemperatureReading(double celsius);

// How much faster dark charge gathers than at ambient: it doubles every 6 C.
double DarkCurrentFactor(double celsius);

}  // namespace quelix::sim
