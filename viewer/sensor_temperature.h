// SPDX-License-Identifier: MIT
// The sensor temperature from the camera's 12-bit reading of the sensor
// voltage (logic-device registers 26 and 27), and the cooler level
// (register 25).
#pragma once

#include <cstdint>

namespace quelix::viewer {

inline constexpr uint8_t kPeltierRegister = 25;
inline constexpr uint8_t kTemperatureHighRegister = 26;  // bits 11..4; reading it latches bits 3..0
inline constexpr uint8_t kTemperatureLowRegister = 27;   // bits 3..0

// The 12-bit reading of the two register values.
int TemperatureReading(int high, int low);

// Degrees Celsius of a reading: the sensor gives 740 mV at 27 C and 1.48 mV
// less per degree; the reading is mV x 4096 / 3300.
double ReadingToCelsius(int reading);

}  // namespace quelix::viewer
