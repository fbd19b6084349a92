// SPDX-License-Identifier: MIT
#include "sim/camera_registers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quelix::sim {

namespace {

constexpr char kIdMagic[] = "QXID";
constexpr char kModelName[] = "Quelix205KWMX";
constexpr int kModelOffset = 0x08;
constexpr int kSerialOffset = 0x18;
constexpr int kChecksumOffset = 0x28;

bool IsReadOnly(uint8_t reg)
{
    return reg == fpga::kClockMode || reg == fpga::kTemperatureHigh || reg == fpga::kTemperatureLow ||
           (reg >= fpga::kFirmware && reg < fpga::kFirmware + 4);
}

}  // namespace

std::array<uint8_t, 256> FactoryIdMemory(uint32_t serialNumber)
{
    std::array<uint8_t, 256> memory;
    memory.fill(0xFF);
    std::fill(memory.begin(), memory.begin() + kChecksumOffset, 0);
    std::memcpy(memory.data(), kIdMagic, 4);
    memory[4] = 1;  // record version
    std::memcpy(memory.data() + kModelOffset, kModelName, sizeof kModelName - 1);
    char serial[16];
    std::snprintf(serial, sizeof serial, "%08u", unsigned(serialNumber % 100000000u));
    std::memcpy(memory.data() + kSerialOffset, serial, 8);
    uint8_t sum = 0;
    for (int i = 0; i < kChecksumOffset; ++i)
        sum = uint8_t(sum + memory[i]);
    memory[kChecksumOffset] = uint8_t(-sum);  // the record's bytes sum to 0
    return memory;
}

void PowerOnRegisters(CameraRegisters& registers)
{
    registers.fpga.fill(0);
    registers.sensor.fill(0);
    SetTransferSamples(registers, 82944);  // the full window: 320 x 256 rounded up, plus a block
    registers.fpga[fpga::kSampleWidth] = fpga::kSampleWidth16;
    registers.fpga[fpga::kWindowWidth] = kSensorWidth / 2;
    registers.fpga[fpga::kWindowHeight] = kSensorHeight / 2 - 1;
    registers.fpga[fpga::kStatus] = 0x06;
    const uint8_t firmware[] = {1, 4, 0x24, 0x03};  // version 1.4, built 2024-03
    std::copy(std::begin(firmware), std::end(firmware), registers.fpga.begin() + fpga::kFirmware);
    registers.fpga[fpga::kExposureLow] = 100;
}

void WriteFpgaRegister(CameraRegisters& registers, uint8_t reg, uint8_t value)
{
    if (IsReadOnly(reg))
        return;
    if (reg == fpga::kSampleWidth && value != fpga::kSampleWidth8 && value != fpga::kSampleWidth16)
        return;
    registers.fpga[reg] = value;
}

void WriteSensorRegister(CameraRegisters& registers, uint8_t reg, uint16_t value)
{
    const bool phaseGain = reg >= kFirstPhaseGainRegister && reg <= kLastPhaseGainRegister;
    registers.sensor[reg] = phaseGain ? value & 0x7F : value;
}

uint32_t TransferSamples(const CameraRegisters& registers)
{
    const auto& r = registers.fpga;
    return uint32_t(r[0]) | uint32_t(r[1]) << 8 | uint32_t(r[2]) << 16 | uint32_t(r[3]) << 24;
}

void SetTransferSamples(CameraRegisters& registers, uint32_t samples)
{
    for (int i = 0; i < 4; ++i)
        registers.fpga[fpga::kTransferLength + i] = uint8_t(samples >> (8 * i));
}

bool SixteenBitSamples(const CameraRegisters& registers)
{
    return registers.fpga[fpga::kSampleWidth] == fpga::kSampleWidth16;
}

Window CaptureWindow(const CameraRegisters& registers)
{
    const auto& r = registers.fpga;
    Window window;
    window.x = std::min(2 * r[fpga::kWindowX], kSensorWidth);
    window.y = std::min(2 * r[fpga::kWindowY], kSensorHeight);
    window.width = std::min(2 * r[fpga::kWindowWidth], kSensorWidth - window.x);
    window.height = std::min(2 * (r[fpga::kWindowHeight] + 1), kSensorHeight - window.y);
    return window;
}

uint16_t ExposureLines(const CameraRegisters& registers)
{
    return uint16_t(registers.fpga[fpga::kExposureHigh] << 8 | registers.fpga[fpga::kExposureLow]);
}

bool TriggerMode(const CameraRegisters& registers)
{
    return (registers.fpga[fpga::kTriggerMode] & 1) != 0;
}

bool TriggerInputEnabled(const CameraRegisters& registers)
{
    return (registers.fpga[fpga::kControl] & fpga::kControlTriggerEnable) != 0;
}

bool GlobalGain(const CameraRegisters& registers)
{
    return (registers.fpga[fpga::kControl] & fpga::kControlGlobalGain) != 0;
}

std::array<uint8_t, 4> PhaseGains(const CameraRegisters& registers)
{
    const auto& s = registers.sensor;
    return {uint8_t(s[43]), uint8_t(s[45]), uint8_t(s[44]), uint8_t(s[46])};
}

uint64_t FrameBytes(const CameraRegisters& registers)
{
    return uint64_t(TransferSamples(registers)) * (SixteenBitSamples(registers) ? 2 : 1);
}

}  // namespace quelix::sim
