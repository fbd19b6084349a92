// SPDX-License-Identifier: MIT
// Listing the attached cameras by display name, naming a device number, and
// switching the camera object to another device.
#include <cstdio>
#include <cstring>

#include "camera/camera_object.h"
#include "device/register_map.h"
#include "platform/text/text.h"

namespace quelix {

namespace {

constexpr char kModelName[] = "Quelix205KWMX";
constexpr int kNameEntries = 10;
constexpr int kNameEntrySize = 256;
constexpr int kDisplayNameLength = 16;  // "Quelix205KWMX_01"

std::string DisplayName(int number)
{
    char name[kDisplayNameLength + 8];
    std::snprintf(name, sizeof name, "%s_%02d", kModelName, number);
    return name;
}

void CopyWide(const std::string& text, QUELIX_WCHAR* out)
{
    std::u16string wide;
    platform::Utf8ToUtf16(text, wide);
    std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
    out[wide.size()] = 0;
}

}  // namespace

template <class Write>
int CQuelix::ListDevices(bool probe, Write write)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    if (probe)
        device->ProbeDevices();
    int found = 0;
    for (int number = 0; number < CQLXSdkLib::MaxDevices(); ++number) {
        if (device->IsDevicePresent(number)) {
            ++found;
            write(found - 1, DisplayName(found));
        }
    }
    for (int entry = found; entry < kNameEntries; ++entry)
        write(entry, std::string());
    return found;
}

int CQuelix::EnumDevice(char* names)
{
    if (names == nullptr)
        return Fail(kErrArgument);
    return ListDevices(true, [names](int entry, const std::string& name) {
        std::snprintf(names + entry * kNameEntrySize, kNameEntrySize, "%s", name.c_str());
    });
}

int CQuelix::EnumDeviceW(QUELIX_WCHAR* names)
{
    if (names == nullptr)
        return Fail(kErrArgument);
    // The presence flags of the last probe: this one does not probe again.
    return ListDevices(false, [names](int entry, const std::string& name) {
        CopyWide(name, names + entry * kNameEntrySize);
    });
}

int CQuelix::CheckDeviceName(int index, int size)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    if (size <= kDisplayNameLength || index < 0 || index >= CQLXSdkLib::MaxDevices())
        return Fail(kErrArgument);
    platform::CriticalSectionGuard operation(operationLock);
    if (!device->IsDevicePresent(index))
        return Fail(kErrNoDevice);
    return 1;
}

int CQuelix::GetDeviceName(int index, char* buffer, int size)
{
    if (buffer == nullptr)
        return Fail(kErrArgument);
    if (!CheckDeviceName(index, size))
        return 0;
    std::snprintf(buffer, static_cast<size_t>(size), "%s", DisplayName(index + 1).c_str());
    return 1;
}

int CQuelix::GetDeviceNameW(int index, QUELIX_WCHAR* buffer, int size)
{
    if (buffer == nullptr)
        return Fail(kErrArgument);
    if (!CheckDeviceName(index, size))
        return 0;
    CopyWide(DisplayName(index + 1), buffer);
    return 1;
}

int CQuelix::SetDeviceNumber(int number)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    // The device object is shared with a running capture: switch only when idle.
    if (captureMode != 0)
        return Fail(kErrNotInitialized);
    const int leaving = device->GetDeviceNumber();
    SaveSettings();
    SaveFilterSettings(leaving);
    SaveGraySettings(leaving);
    // A camera that another camera object streams is only attached: its
    // registers are set again when this object starts it.
    if (!device->IsDevicePresent(number) ||
        (DeviceHeldElsewhere(number) ? device->AttachDevice(number) : device->InitDevice(number)) !=
            DeviceStatus::Ok)
        return Fail(kErrNoDevice);

    camera.Set(CameraSlot::globalGain, device->GetGlobalGain() & 0xFF);
    const std::pair<CameraSlot, int> gains[] = {{CameraSlot::colorGainGreen1, kSensorGainGreen1},
                                                {CameraSlot::colorGainRed, kSensorGainRed},
                                                {CameraSlot::colorGainBlue, kSensorGainBlue},
                                                {CameraSlot::colorGainGreen2, kSensorGainGreen2}};
    for (const auto& [slot, reg] : gains) {
        int value = 0;
        device->GetColorGain(reg, value);
        camera.Set(slot, value);
    }
    uint16_t lines = 0;
    device->GetExposureLines(lines);
    camera.Set(CameraSlot::exposureTime, lines);
    deviceNumber = number;
    return 1;
}

}  // namespace quelix
