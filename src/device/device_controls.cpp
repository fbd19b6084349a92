// SPDX-License-Identifier: MIT
// Register access and camera controls of the device object.

#include "device/command_codes.h"
#include "device/qlx_sdk_lib.h"
#include "device/register_map.h"
#include "platform/os/clock.h"

namespace quelix {

namespace {

constexpr uint32_t kTriggerSettleMs = 20;
constexpr int kTemperatureReadFailed = -1;
constexpr int kGlobalGainReadFailed = 0xAA;

}  // namespace

TransferStatus CQLXSdkLib::SendPacket(Packet packet)
{
    platform::CriticalSectionGuard guard(registerLock);
    return SendCommand(devicePath.data(), packet);
}

void CQLXSdkLib::SetWordMode(int on)
{
    platform::CriticalSectionGuard guard(registerLock);
    wordMode = on;
    SendPacket({CmdSetWordMode, static_cast<uint8_t>(on != 0)});
}

bool CQLXSdkLib::FpgaRead(uint8_t reg, uint8_t& value)
{
    platform::CriticalSectionGuard guard(registerLock);
    Packet reply{};
    if (QueryCommand(devicePath.data(), {CmdFpgaRead, reg}, reply) != TransferStatus::Ok) {
        value = 0;
        return false;
    }
    value = reply[0];
    return true;
}

bool CQLXSdkLib::FpgaWrite(uint8_t reg, uint8_t value)
{
    return SendPacket({CmdFpgaWrite, reg, value}) == TransferStatus::Ok;
}

bool CQLXSdkLib::SensorRead(uint8_t reg, uint16_t& value)
{
    platform::CriticalSectionGuard guard(registerLock);
    value = 0;
    DriverHandle handle = platform::kNoDriverHandle;
    if (!DeviceOpen(devicePath.data(), handle))
        return false;
    uint8_t bytes[2] = {};
    const TransferStatus status = SensorQuery(handle, reg, bytes, 2);
    DeviceClose(handle);
    if (status != TransferStatus::Ok)
        return false;
    value = static_cast<uint16_t>(bytes[0] * 256 + bytes[1]);
    return true;
}

bool CQLXSdkLib::SensorWrite(uint8_t reg, uint16_t value)
{
    platform::CriticalSectionGuard guard(registerLock);
    DriverHandle handle = platform::kNoDriverHandle;
    if (!DeviceOpen(devicePath.data(), handle))
        return false;
    const uint8_t payload[3] = {reg, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value & 0xFF)};
    const TransferStatus status = SensorCommand(handle, 3, payload);
    DeviceClose(handle);
    return status == TransferStatus::Ok;
}

bool CQLXSdkLib::ReadSromID(int address, uint8_t& value)
{
    platform::CriticalSectionGuard guard(registerLock);
    return SromRead(devicePath.data(), static_cast<uint8_t>(address & 0xFF), value) == TransferStatus::Ok;
}

bool CQLXSdkLib::WriteSromID(uint8_t address, uint8_t value)
{
    platform::CriticalSectionGuard guard(registerLock);
    return SromWrite(devicePath.data(), address, value) == TransferStatus::Ok;
}

bool CQLXSdkLib::GetExposureLines(uint16_t& value)
{
    // Both bytes of one value, never one of a write going on elsewhere.
    platform::CriticalSectionGuard guard(registerLock);
    uint8_t low = 0;
    uint8_t high = 0;
    if (!FpgaRead(kRegExposureLow, low) || !FpgaRead(kRegExposureHigh, high)) {
        value = 0;
        return false;
    }
    value = static_cast<uint16_t>(high * 256 + low);
    return true;
}

bool CQLXSdkLib::SetExposureLines(uint16_t value)
{
    const int lines = value > MaxExposureLines() ? MaxExposureLines() : value;
    // The two bytes go together: no other write may land between them.
    platform::CriticalSectionGuard guard(registerLock);
    return FpgaWrite(kRegExposureLow, static_cast<uint8_t>(lines & 0xFF)) &&
           FpgaWrite(kRegExposureHigh, static_cast<uint8_t>(lines >> 8));
}

int CQLXSdkLib::GetGlobalGain()
{
    uint8_t control = 0;
    if (!FpgaRead(kRegControl, control))
        return kGlobalGainReadFailed;
    return (control & kControlGlobalGain) != 0 ? 1 : 0;
}

bool CQLXSdkLib::SetGlobalGain(int on)
{
    // The control register also holds the trigger enable: its read, change
    // and write are one update.
    platform::CriticalSectionGuard guard(registerLock);
    uint8_t control = 0;
    if (!FpgaRead(kRegControl, control))
        return false;
    if ((on & 0xFF) != 0)
        control |= kControlGlobalGain;
    else
        control &= static_cast<uint8_t>(~kControlGlobalGain);
    return FpgaWrite(kRegControl, control);
}

bool CQLXSdkLib::GetColorGain(int reg, int& value)
{
    if (!IsColorGainRegister(reg))
        return false;
    uint16_t raw = 0;
    const bool read = SensorRead(static_cast<uint8_t>(reg), raw);
    value = raw & 0x7F;
    return read;
}

bool CQLXSdkLib::SetColorGain(int reg, int value)
{
    if (!IsColorGainRegister(reg))
        return false;
    return SensorWrite(static_cast<uint8_t>(reg), static_cast<uint16_t>(value & 0xFF));
}

bool CQLXSdkLib::GetColorGainMin(int reg, int& value)
{
    if (!IsColorGainRegister(reg))
        return false;
    value = 0;
    return true;
}

int CQLXSdkLib::GetPeltier()
{
    uint8_t level = 0;
    return FpgaRead(kRegPeltier, level) ? level : 0;
}

bool CQLXSdkLib::SetPeltier(int value)
{
    return FpgaWrite(kRegPeltier, static_cast<uint8_t>(value));
}

int CQLXSdkLib::GetTemperatureMilliVolts()
{
    platform::CriticalSectionGuard guard(registerLock);
    uint8_t high = 0;
    uint8_t low = 0;
    if (!FpgaRead(kRegTemperatureHigh, high))
        return kTemperatureReadFailed;
    // A failed read of the low nibble leaves it 0: the high byte alone
    // still gives the temperature within 13 mV.
    if (!FpgaRead(kRegTemperatureLow, low))
        low = 0;
    return TemperatureMilliVolts(high * 16 + (low & 0x0F));
}

int CQLXSdkLib::TemperatureMilliVolts(int reading)
{
    // 3.3 V full scale as the single-precision constant the conversion has
    // always used, so that a reading of 0x800 gives 1649 mV, not 1650.
    const double fullScale = static_cast<double>(3.3f);
    return static_cast<int>(reading * fullScale * (1.0 / 4096) * 1000);
}

bool CQLXSdkLib::GetClockMode(int& value)
{
    uint8_t mode = 0;
    const bool read = FpgaRead(kRegClockMode, mode);
    value = mode;
    return read;
}

void CQLXSdkLib::SetMirrorH(int flag)
{
    mirrorH = flag;
}

void CQLXSdkLib::SetMirrorV(int flag)
{
    mirrorV = flag;
}

bool CQLXSdkLib::SetTriggerMode(int on)
{
    // A read-modify-write of the control register (which also holds the
    // global gain), then the mode register: one update.
    platform::CriticalSectionGuard guard(registerLock);
    // A control register that cannot be read counts as all clear; the
    // write below then reports the failure.
    uint8_t control = 0;
    if (!FpgaRead(kRegControl, control))
        control = 0;
    if (on == 1)
        control |= kControlTriggerEnable;
    else
        control &= static_cast<uint8_t>(~kControlTriggerEnable);
    if (!FpgaWrite(kRegControl, control))
        return false;
    if (on != 0)
        platform::SleepMs(kTriggerSettleMs);
    if (!FpgaWrite(kRegTriggerMode, on != 0 ? 1 : 0))
        return false;
    triggerMode = on;
    return true;
}

bool CQLXSdkLib::SetTimeout(int milliseconds)
{
    platform::CriticalSectionGuard guard(registerLock);
    driverTimeoutMs = milliseconds;
    DriverHandle handle = platform::kNoDriverHandle;
    if (!DeviceOpen(devicePath.data(), handle))
        return false;
    const bool sent = SetDriverTimeout(handle, static_cast<uint32_t>(milliseconds));
    DeviceClose(handle);
    return sent;
}

}  // namespace quelix
