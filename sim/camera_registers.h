// SPDX-License-Identifier: MIT
// The camera's register spaces as the camera holds them: the logic device's
// 8-bit registers, the image sensor's 16-bit registers and the 256-byte ID
// memory, with their power-on values and what the camera reads from them.
#pragma once

#include <array>
#include <cstdint>

namespace quelix::sim {

inline constexpr int kSensorWidth = 320;
inline constexpr int kSensorHeight = 256;

// Logic-device (FPGA) register numbers the camera gives a meaning; the
// others (register 7, the I/O port, among them) are plain bytes.
namespace fpga {
inline constexpr uint8_t kTransferLength = 0;    // 0 to 3: samples per frame, u32 little-endian
inline constexpr uint8_t kTriggerMode = 11;      // bit 0: frames wait for a trigger
inline constexpr uint8_t kSampleWidth = 14;      // 8: 8-bit samples, 9: 16-bit samples
inline constexpr uint8_t kClockMode = 15;        // read only: 0 full clock
inline constexpr uint8_t kWindowX = 16;          // x / 2
inline constexpr uint8_t kWindowY = 17;          // y / 2
inline constexpr uint8_t kWindowWidth = 18;      // width / 2
inline constexpr uint8_t kWindowHeight = 19;     // height / 2 - 1
inline constexpr uint8_t kControl = 20;          // bit 0 trigger input enable, bit 1 global gain
inline constexpr uint8_t kStatus = 23;           // bits 1 and 2 set at power-on
inline constexpr uint8_t kPeltier = 25;          // cooler level 0 to 255
inline constexpr uint8_t kTemperatureHigh = 26;  // read only: reading bits 11..4
inline constexpr uint8_t kTemperatureLow = 27;   // read only: reading bits 3..0
inline constexpr uint8_t kFirmware = 28;         // 28 to 31, read only
inline constexpr uint8_t kExposureLow = 32;      // exposure in lines, bits 7..0
inline constexpr uint8_t kExposureHigh = 33;     // exposure in lines, bits 15..8

inline constexpr uint8_t kControlTriggerEnable = 0x01;
inline constexpr uint8_t kControlGlobalGain = 0x02;
inline constexpr uint8_t kSampleWidth8 = 8;
inline constexpr uint8_t kSampleWidth16 = 9;
}  // namespace fpga

// Sensor registers 43 to 46: the analog gains of the four pixel phases of a
// 2 x 2 cell, 7 bits each: 43 (even row, even column), 45 (even row, odd
// column), 44 (odd row, even column), 46 (odd row, odd column).
inline constexpr uint8_t kFirstPhaseGainRegister = 43;
inline constexpr uint8_t kLastPhaseGainRegister = 46;

struct CameraRegisters {
    std::array<uint8_t, 256> fpga{};
    std::array<uint16_t, 256> sensor{};
    std::array<uint8_t, 256> idMemory{};
};

struct Window {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Window&) const = default;
    int Pixels() const { return width * height; }
};

// The ID memory as it leaves the factory: a record with the model name and a
// serial number (docs/camera-model.md), the rest erased (0xFF).
std::array<uint8_t, 256> FactoryIdMemory(uint32_t serialNumber);

// Power-on values of the logic-device and sensor registers; the ID memory keeps its contents.
void PowerOnRegisters(CameraRegisters& registers);

// Writes as the camera takes them: read-only registers keep their value, the
// sample width takes only 8 and 9, phase gains keep their low 7 bits.
void WriteFpgaRegister(CameraRegisters& registers, uint8_t reg, uint8_t value);
void WriteSensorRegister(CameraRegisters& registers, uint8_t reg, uint16_t value);

uint32_t TransferSamples(const CameraRegisters& registers);
void SetTransferSamples(CameraRegisters& registers, uint32_t samples);
bool SixteenBitSamples(const CameraRegisters& registers);
// The capture window the registers select, cut to the sensor.
Window CaptureWindow(const CameraRegisters& registers);
uint16_t ExposureLines(const CameraRegisters& registers);
bool TriggerMode(const CameraRegisters& registers);
bool TriggerInputEnabled(const CameraRegisters& registers);
bool GlobalGain(const CameraRegisters& registers);
// Phase gain register values indexed by (row & 1) * 2 + (column & 1).
std::array<uint8_t, 4> PhaseGains(const CameraRegisters& registers);
// Bytes of one frame on the image pipe: the transfer length in samples of the current width.
uint64_t FrameBytes(const CameraRegisters& registers);

}  // namespace quelix::sim
