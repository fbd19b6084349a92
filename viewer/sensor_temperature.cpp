// SPDX-License-Identifier: MIT
#include "sensor_temperature.h"

namespace quelix::viewer {

int TemperatureReading(int high, int low)
{
    return ((high & 0xFF) << 4) | (low & 0x0F);
}

double ReadingToCelsius(int reading)
{
    const double millivolts = reading * 3300.0 / 4096.0;
    return 27.0 - (millivolts - 740.0) / 1.48;
}

}  // namespace quelix::viewer
