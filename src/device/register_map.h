// SPDX-License-Identifier: MIT
// The camera's register spaces: 8-bit registers of its logic device and the
// 16-bit sensor registers that hold the colour-channel gains.
#pragma once

#include <cstdint>

namespace quelix {

enum FpgaRegister : uint8_t {
    kRegTransferLength0 = 0,  // transfer length in samples, bits 7..0 (1, 2, 3: the higher bytes)
    kRegIoPort = 7,
    kRegTriggerMode = 11,
    kRegSampleWidth = 14,  // 8 = 8-bit samples, 9 = 16-bit samples
    kRegClockMode = 15,
    kRegWindowX = 16,       // x / 2
    kRegWindowY = 17,       // y / 2
    kRegWindowWidth = 18,   // width / 2
    kRegWindowHeight = 19,  // height / 2 - 1
    kRegControl = 20,       // bit 0 trigger enable, bit 1 global gain
    kRegSetup = 23,         // bits 1 and 2 cleared at initialisation
    kRegPeltier = 25,
    kRegTemperatureHigh = 26,  // sensor reading bits 11..4
    kRegTemperatureLow = 27,   // sensor reading bits 3..0
    kRegInfo0 = 28,            // 28 to 31: read once at initialisation
    kRegExposureLow = 32,      // exposure in lines, bits 7..0
    kRegExposureHigh = 33,     // bits 15..8
};

inline constexpr uint8_t kControlTriggerEnable = 0x01;
inline constexpr uint8_t kControlGlobalGain = 0x02;
inline constexpr uint8_t kSetupClearedBits = 0x06;

// Sensor registers of the colour-channel gains.
enum SensorRegister : uint8_t {
    kSensorGainGreen1 = 43,
    kSensorGainBlue = 44,
    kSensorGainRed = 45,
    kSensorGainGreen2 = 46,
};

inline bool IsColorGainRegister(int sensorRegister)
{
    return sensorRegister >= kSensorGainGreen1 && sensorRegister <= kSensorGainGreen2;
}

}  // namespace quelix
