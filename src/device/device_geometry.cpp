// SPDX-License-Identifier: MIT
// Construction, frame geometry and device selection of the device object.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <new>
#include <utility>

#include "device/command_codes.h"
#include "device/device_status.h"
#include "device/qlx_sdk_lib.h"
#include "device/register_map.h"
#include "platform/os/clock.h"

namespace quelix {

namespace {

constexpr int kSensorWidth = 320;
constexpr int kSensorHeight = 256;
constexpr int kRingSlots = 4;
constexpr int kTransferRounding = 1024;
constexpr int kLargeTransferSamples = 3072000;
constexpr uint32_t kWindowSettleMs = 100;

bool IsSubsampleMode(int subsample)
{
    return subsample == 0 || subsample == 1 || subsample == 2 || subsample == 3 || subsample == 17 ||
           subsample == 18;
}

// A zero-filled block of `bytes`, or null when it cannot be had.
std::unique_ptr<uint8_t[]> ZeroedBlock(size_t bytes)
{
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes]());
}

}  // namespace

CQLXSdkLib::CQLXSdkLib() = default;

CQLXSdkLib::~CQLXSdkLib()
{
    // A transfer thread still running would write into the ring freed below.
    StopTransferThread();
    FreeBuffers();
    CloseCaptureHandle();
}

void CQLXSdkLib::ResetGeometry()
{
    linePitch = 1339;
    hStart = 50;
    effWidth = 1280;
    totalLines = 1040;
    vStart = 10;
    effLines = 1028;
    wordMode = 0;
    triggerMode = 0;
    driverTimeoutMs = 3000;
    subsampleMode = 0;
}

DeviceStatus CQLXSdkLib::SetCaptureWindow(int x, int y, int width, int height, int subsample)
{
    if (x < 0 || y < 0 || width < 4 || height < 3 || int64_t{x} + width > kSensorWidth ||
        int64_t{y} + height > kSensorHeight || !IsSubsampleMode(subsample))
        return DeviceStatus::WindowRejected;
    if (TransferRunning())
        return DeviceStatus::TransferRunning;
    // The window and transfer-length registers are checked and written as
    // one update, and the camera settles before any other register changes.
    platform::CriticalSectionGuard guard(registerLock);
    // The registers hold halves: an odd value reaches the camera one less,
    // and the host takes the window the camera will deliver.
    const int evenX = x & ~1;
    const int evenY = y & ~1;
    const int evenWidth = width & ~1;
    const int evenHeight = height & ~1;
    subsampleMode = subsample;
    winX = evenX;
    winY = evenY;
    winHeight = evenHeight;
    winWidth = evenWidth;
    const DeviceStatus geometry =
        SetFrameGeometry(evenWidth, 0, evenWidth, evenHeight, 0, evenHeight, kRingSlots);
    if (geometry != DeviceStatus::Ok)
        return geometry;

    const auto length = static_cast<uint32_t>(transferSamples);
    // A camera that answers with this window and transfer length already
    // holds them (after power-on, an init, or an earlier call): it has
    // nothing to take, and nothing to settle.
    const std::pair<uint8_t, uint8_t> registers[] = {
        {kRegWindowX, static_cast<uint8_t>(evenX / 2)},
        {kRegWindowY, static_cast<uint8_t>(evenY / 2)},
        {kRegWindowWidth, static_cast<uint8_t>(evenWidth / 2)},
        {kRegWindowHeight, static_cast<uint8_t>(evenHeight / 2 - 1)},
        {kRegTransferLength0, static_cast<uint8_t>(length & 0xFF)},
        {kRegTransferLength0 + 1, static_cast<uint8_t>(length >> 8)},
        {kRegTransferLength0 + 2, static_cast<uint8_t>(length >> 16)},
        {kRegTransferLength0 + 3, static_cast<uint8_t>(length >> 24)},
    };
    const bool held = std::all_of(std::begin(registers), std::end(registers), [this](const auto& reg) {
        uint8_t value = 0;
        return FpgaRead(reg.first, value) && value == reg.second;
    });
    if (!held) {
        int written = 0;
        for (size_t i = 0; i < 4; ++i)
            written += FpgaWrite(registers[i].first, registers[i].second);
        // The length register latches when its low byte is written last;
        // 0xFF first makes sure the final write is a change.
        written += FpgaWrite(kRegTransferLength0, 0xFF);
        for (size_t i = 5; i < 8; ++i)
            written += FpgaWrite(registers[i].first, registers[i].second);
        written += FpgaWrite(kRegTransferLength0, registers[4].second);
        // The camera needs a moment to take the new window; a camera that
        // took none of the writes (an absent one) has nothing to settle.
        if (written > 0)
            platform::SleepMs(kWindowSettleMs);
    }

    largeTransfer = transferSamples >= kLargeTransferSamples ? 1 : 0;
    transfer.largeTransfer = largeTransfer;
    return DeviceStatus::Ok;
}

DeviceStatus CQLXSdkLib::SetFrameGeometry(int pitch, int start, int width, int lines, int firstLine,
                                          int effective, int slots)
{
    if (pitch <= 0 || width <= 0 || width > pitch)
        return DeviceStatus::PitchRejected;
    if (lines <= 0 || effective <= 0 || firstLine + effective > lines)
        return DeviceStatus::LinesRejected;
    if (slots < 2)
        return DeviceStatus::WindowRejected;
    if (TransferRunning())
        return DeviceStatus::TransferRunning;
    FreeBuffers();

    linePitch = pitch;
    hStart = start;
    effWidth = width;
    totalLines = lines;
    vStart = firstLine;
    effLines = effective;
    ringCount = slots;
    frameSamples = lines * pitch;
    usedSamples = (effective + firstLine) * pitch;
    transferSamples =
        (usedSamples + kTransferRounding - 1) / kTransferRounding * kTransferRounding + kTransferRounding;

    snapshotBuffer = ZeroedBlock(SlotBytes());
    if (snapshotBuffer == nullptr)
        return DeviceStatus::NoMemory;
    try {
        ring.reserve(static_cast<size_t>(slots));
        for (int i = 0; i < slots; ++i) {
            ring.push_back(ZeroedBlock(SlotBytes()));
            if (ring.back() == nullptr) {
                FreeBuffers();
                return DeviceStatus::NoMemory;
            }
        }
    } catch (const std::bad_alloc&) {
        FreeBuffers();
        return DeviceStatus::NoMemory;
    }

    Packet size{CmdSetTransferSize};
    const auto samples = static_cast<uint32_t>(transferSamples);
    for (int i = 0; i < 4; ++i)
        size[1 + i] = static_cast<uint8_t>(samples >> (8 * i));
    SendPacket(size);
    return DeviceStatus::Ok;
}

void CQLXSdkLib::FreeBuffers()
{
    snapshotBuffer.reset();
    ring.clear();
    ring.shrink_to_fit();
}

void CQLXSdkLib::ProbeDevices()
{
    for (int n = 0; n < MaxDevices(); ++n) {
        DriverHandle handle = platform::kNoDriverHandle;
        const bool opened = DeviceOpen(DriverPath(n).c_str(), handle);
        devicePresent[static_cast<size_t>(n)] = opened && handle != platform::kInvalidDriverHandle ? 1 : 0;
        DeviceClose(handle);
    }
}

bool CQLXSdkLib::IsDevicePresent(int n) const
{
    return n >= 0 && n < MaxDevices() && devicePresent[static_cast<size_t>(n)] != 0;
}

DeviceStatus CQLXSdkLib::SetDeviceNumber(int n)
{
    if (static_cast<unsigned>(n) > 8)
        return DeviceStatus::NumberRejected;
    platform::CriticalSectionGuard guard(registerLock);
    deviceNumber = n;
    std::snprintf(devicePath.data(), devicePath.size(), "%s", DriverPath(n).c_str());
    return DeviceStatus::Ok;
}

std::string CQLXSdkLib::DriverPath(int n) const
{
    return "\\\\.\\" + std::string(baseName.data()) + "-" + std::to_string(n);
}

DeviceStatus CQLXSdkLib::AttachDevice(int n)
{
    platform::CriticalSectionGuard guard(registerLock);
    ResetGeometry();
    return SetDeviceNumber(n);
}

DeviceStatus CQLXSdkLib::SelectDevice(int n)
{
    platform::CriticalSectionGuard guard(registerLock);
    ResetGeometry();
    const DeviceStatus selected = SetDeviceNumber(n);
    if (selected != DeviceStatus::Ok)
        return selected;
    SetWordMode(0);
    return DeviceStatus::Ok;
}

DeviceStatus CQLXSdkLib::InitDevice(int n)
{
    // No other register access reaches the camera between its selection and
    // the end of its set-up.
    platform::CriticalSectionGuard guard(registerLock);
    const DeviceStatus selected = SelectDevice(n);
    if (selected != DeviceStatus::Ok)
        return selected;
    SendPacket({CmdInit});
    if (uint8_t setup = 0; FpgaRead(kRegSetup, setup))
        FpgaWrite(kRegSetup, static_cast<uint8_t>(setup & ~kSetupClearedBits));
    // The full window always fits the defaults and no transfer runs yet;
    // an absent camera's refused writes do not stop the set-up.
    static_cast<void>(SetCaptureWindow(0, 0, kSensorWidth, kSensorHeight, 0));
    SetGlobalGain(1);
    SetMirrorV(0);
    SetTriggerMode(0);
    for (uint8_t reg = kRegInfo0; reg < kRegInfo0 + 4; ++reg) {
        uint8_t ignored = 0;
        static_cast<void>(FpgaRead(reg, ignored));
    }
    return DeviceStatus::Ok;
}

}  // namespace quelix
