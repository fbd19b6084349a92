// SPDX-License-Identifier: MIT
// Camera parameters beyond the numbered ids: exposure as a time, colour
// mode, subsample, wait time, clock, mirrors, automatic exposure, the IO
// port, raw register and ID-memory access, the information record and the
// preview placement.
#include "camera/camera_object.h"
#include "device/quelix_205kwmx_sdk.h"
#include "device/register_map.h"
#include "pipeline/color_modes.h"

namespace quelix {

namespace {

// A clock lasts 0.0001 ms, a constant kept in single precision and widened,
// so that conversions agree with those the camera's users already know:
// 100 lines at width 320 read back as 3889 us, not 3890.
constexpr double kClockPeriodMs = static_cast<double>(0.0001f);
constexpr int kLineOverheadClocks = 69;

void SetOk(int32_t* ok, int32_t value)
{
    if (ok != nullptr)
        *ok = value;
}

// Clocks per line of the window the camera delivers.
uint16_t LineClocksOf(int32_t width)
{
    return static_cast<uint16_t>(
        static_cast<int>(static_cast<float>(width) + static_cast<float>(kLineOverheadClocks)));
}

}  // namespace

void CQuelix::UpdateLineClocks()
{
    clockPeriod = kClockPeriodMs;
    lineClocks = LineClocksOf(active.width);
}

int CQuelix::GetRealExposureTime(int32_t* ok)
{
    if (device == nullptr) {
        SetOk(ok, 0);
        return Fail(kErrNotInitialized);
    }
    // Worked out from this call's own values, then published: callers on
    // other threads refresh the same fields at the same time.
    const uint16_t clocks = LineClocksOf(active.width);
    const double lines = static_cast<double>(camera.Get(CameraSlot::exposureTime));
    const auto microseconds = static_cast<int32_t>(clocks * lines * kClockPeriodMs * 1000.0);
    clockPeriod = kClockPeriodMs;
    lineClocks = clocks;
    exposureLines = lines;
    realExposureTime = microseconds;
    SetOk(ok, 1);
    return microseconds;
}

int CQuelix::SetRealExposureTime(int microseconds)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    // A negative time would truncate to 0 lines and be raised to 1 below.
    if (microseconds < 0)
        return Fail(kErrArgument);
    UpdateLineClocks();
    const double milliseconds = static_cast<double>(static_cast<float>(microseconds) / 1000.0f);
    int lines = static_cast<int>((milliseconds / clockPeriod - 0.0) / lineClocks);
    if (lines == 0)
        lines = 1;
    if (lines < 1 || lines > CQLXSdkLib::MaxExposureLines())
        return Fail(kErrArgument);
    if (!device->SetExposureLines(static_cast<uint16_t>(lines)))
        return Fail(kErrRegister);
    camera.Set(CameraSlot::exposureTime, lines);
    return 1;
}

int CQuelix::GetCaptureWindowEx(int32_t* outTotalWidth, int32_t* left, int32_t* outWidth,
                                int32_t* outTotalHeight, int32_t* top, int32_t* outHeight) const
{
    const std::pair<int32_t*, int32_t> values[] = {
        {outTotalWidth, totalWidth},   {left, offsetX}, {outWidth, width},
        {outTotalHeight, totalHeight}, {top, offsetY},  {outHeight, height}};
    for (const auto& [out, value] : values)
        SetOk(out, value);
    return 1;
}

int CQuelix::SetColorMode(int bits)
{
    for (int32_t mode = 0; mode < static_cast<int32_t>(kColorModes.size()); ++mode) {
        if (kColorModes[static_cast<size_t>(mode)].bits != bits)
            continue;
        platform::CriticalSectionGuard operation(operationLock);
        // A running acquisition made its images for the old mode: it
        // restarts with images for the new one.
        if (device == nullptr || captureMode == 0 || colorMode == mode) {
            colorMode = mode;
            return 1;
        }
        return RestartAround([this, mode] {
            colorMode = mode;
            return 1;
        });
    }
    return Fail(kErrArgument);
}

int CQuelix::GetColorMode() const
{
    const ColorMode* entry = ColorModeOf(colorMode);
    return entry != nullptr ? entry->reportedBits : -1;
}

int CQuelix::SetSubSample(int value)
{
    if (value < 0 || value > 2)
        return 0;
    subSample = value;
    return 1;
}

int CQuelix::SetWaitTime(int milliseconds)
{
    if (milliseconds < 0)
        return 0;
    waitTime = milliseconds;
    return 1;
}

int CQuelix::GetHalfClock(int32_t* ok)
{
    int mode = 0;
    if (device == nullptr || !device->GetClockMode(mode)) {
        SetOk(ok, 0);
        return Notify(kErrNotInitialized);
    }
    SetOk(ok, 1);
    return mode & 0xFF;
}

int CQuelix::SetMirrorH(int flag)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    device->SetMirrorH(flag != 0 ? 1 : 0);
    camera.Set(CameraSlot::mirrorH, flag != 0 ? 1 : 0);
    return 1;
}

int CQuelix::GetMirrorH()
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    return camera.Get(CameraSlot::mirrorH);
}

int CQuelix::SetMirrorV(int flag)
{
    if (device == nullptr)
        return Notify(kErrNotInitialized);
    device->SetMirrorV(flag != 0 ? 1 : 0);
    camera.Set(CameraSlot::mirrorV, flag != 0 ? 1 : 0);
    return 1;
}

int CQuelix::GetMirrorV()
{
    if (device == nullptr)
        return Notify(kErrNotInitialized);
    return camera.Get(CameraSlot::mirrorV);
}

int CQuelix::SetAutoIris(int mode)
{
    if (mode < 0 || mode > 2)
        return Notify(kErrArgument);
    camera.Set(CameraSlot::autoIris, mode);
    return 1;
}

int CQuelix::GetAutoIris(int32_t* ok) const
{
    SetOk(ok, 1);
    return camera.Get(CameraSlot::autoIris);
}

int CQuelix::SetIOPort(uint8_t value)
{
    if (device == nullptr)
        return Notify(kErrNotInitialized);
    return device->FpgaWrite(kRegIoPort, value);
}

int CQuelix::GetIOPort(uint8_t* value)
{
    if (value == nullptr)
        return Notify(kErrArgument);
    if (device == nullptr)
        return Notify(kErrNotInitialized);
    uint8_t port = 0;
    if (!device->FpgaRead(kRegIoPort, port))
        return Fail(kErrRegister);
    *value = port;
    return 1;
}

int CQuelix::FpgaReadRegister(uint8_t address, int32_t* ok)
{
    SetOk(ok, 0);
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    uint8_t value = 0;
    if (!device->FpgaRead(address, value))
        return Fail(kErrRegister);
    SetOk(ok, 1);
    return value;
}

int CQuelix::FpgaWriteRegister(uint8_t address, uint16_t value)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    return device->FpgaWrite(address, static_cast<uint8_t>(value)) ? 1 : Fail(kErrRegister);
}

int CQuelix::ReadRegister(uint8_t address, int32_t* ok)
{
    SetOk(ok, 0);
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    uint16_t value = 0;
    if (!device->SensorRead(address, value))
        return Fail(kErrRegister);
    SetOk(ok, 1);
    return value;
}

int CQuelix::WriteRegister(uint8_t address, uint16_t value)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    return device->SensorWrite(address, value) ? 1 : Fail(kErrRegister);
}

int CQuelix::ReadSromID(int address, int32_t* ok)
{
    SetOk(ok, 0);
    uint8_t value = 0;
    if (device == nullptr || !device->ReadSromID(address, value))
        return Notify(kErrNotInitialized);
    SetOk(ok, 1);
    return value;
}

int CQuelix::WriteSromID(uint8_t address, uint8_t value)
{
    if (device == nullptr || !device->WriteSromID(address, value))
        return Notify(kErrNotInitialized);
    return 1;
}

int CQuelix::GetCameraInfo(QUELIX_CAMERA_INFO* info)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    if (info == nullptr)
        return Fail(kErrArgument);
    if (info->size < static_cast<int32_t>(sizeof(QUELIX_CAMERA_INFO)))
        return Fail(kErrObjects);
    int colorGainMin = 0;
    CQLXSdkLib::GetColorGainMin(kSensorGainRed, colorGainMin);
    info->sensorWidth = kSensorWidth;
    info->sensorHeight = kSensorHeight;
    info->globalGainMin = CQLXSdkLib::GlobalGainLimit();
    info->globalGainMax = CQLXSdkLib::GlobalGainLimit();
    info->colorGainMin = colorGainMin;
    info->colorGainMax = 255;
    info->exposureMinLines = 1;
    info->exposureMaxLines = CQLXSdkLib::MaxExposureLines();
    return 1;
}

int CQuelix::SetPreviewWindow(platform::Hwnd parent, int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    previewParent = parent;
    previewRect = {left, top, right, bottom};
    return 1;
}

}  // namespace quelix
