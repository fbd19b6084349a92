// SPDX-License-Identifier: MIT
// The capture window and stream values kept in the registry under
// "Camera_%02d" of the device number, the first-run defaults, and the check
// of a capture window.
#include "camera/camera_object.h"
#include "dialogs/registry_layout.h"
#include "platform/registry/registry.h"

namespace quelix {

namespace {

using platform::RegistryKey;

}  // namespace

std::array<std::atomic<int32_t>*, 7> CQuelix::SizeFields()
{
    return {&totalWidth, &totalHeight, &width, &height, &offsetX, &offsetY, &bufferCount};
}

int CQuelix::ReadSizeSettings()
{
    const std::string cameraKey = NumberedKey("Camera", deviceNumber);
    const auto base = RegistryKey::Open(kSdkRegistryKey);
    if (!base) {
        // First run: store the defaults; the fields keep their constructor values.
        const auto created = RegistryKey::Create(kSdkRegistryKey);
        const auto camera = created ? created->CreateSubKey(cameraKey) : std::nullopt;
        const auto size = camera ? camera->CreateSubKey(NumberedKey("Size", 0)) : std::nullopt;
        if (size) {
            size->WriteDwords(
                {{"TH", 320}, {"TV", 256}, {"EH", 320}, {"EV", 256}, {"EHS", 0}, {"EVS", 0}, {"Buf", 4}});
            camera->WriteDwords({{"Size", 0}, {"Color", 2}, {"SubSample", 0}, {"WaitTime", 1}, {"Clock", 0}});
        }
        return 0;
    }
    const auto camera = base->OpenSubKey(cameraKey);
    const auto sizeNumber = camera ? camera->ReadDword("Size") : std::nullopt;
    const auto size =
        sizeNumber ? camera->OpenSubKey(NumberedKey("Size", static_cast<int>(*sizeNumber))) : std::nullopt;
    if (!size)
        return 0;
    const auto fields = SizeFields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (const auto value = size->ReadDword(kSizeValueNames[i]))
            *fields[i] = static_cast<int32_t>(*value);
    }
    // A stored window goes through the setter's check; one the camera
    // cannot stream gives way to the whole sensor.
    if (!ValidateCaptureWindow()) {
        PostError(kErrWindowInvalid);
        ResetCaptureWindow();
    }
    return 1;
}

int CQuelix::ReadStreamSettings()
{
    const auto camera =
        RegistryKey::Open(std::string(kSdkRegistryKey) + "\\" + NumberedKey("Camera", deviceNumber));
    if (!camera)
        return 0;
    // A stored value outside the range its setter accepts leaves the field
    // as it was (its default), as the setter would refuse it; the clock
    // mode is stored unchecked by its setter and here alike.
    const struct {
        const char* name;
        std::atomic<int32_t>* field;
        int32_t lowest;
        int32_t highest;
    } values[] = {{"Color", &colorMode, 0, 5},
                  {"SubSample", &subSample, 0, 2},
                  {"WaitTime", &waitTime, 0, INT32_MAX},
                  {"Clock", &halfClock, INT32_MIN, INT32_MAX}};
    for (const auto& value : values) {
        const auto stored = camera->ReadDword(value.name);
        const auto word = static_cast<int32_t>(stored.value_or(0));
        if (stored && word >= value.lowest && word <= value.highest)
            *value.field = word;
    }
    return 1;
}

int CQuelix::ValidateCaptureWindow() const
{
    const int32_t w = width;
    const int32_t h = height;
    const int32_t x = offsetX;
    const int32_t y = offsetY;
    const int32_t mode = subSample;
    const bool inside = w >= kMinWindowWidth && h >= kMinWindowHeight && x >= 0 && y >= 0 &&
                        w <= kSensorWidth && h <= kSensorHeight && x <= kSensorWidth && y <= kSensorHeight &&
                        x + w <= kSensorWidth && y + h <= kSensorHeight;
    // Sub-sampling modes 1, 2, 3, 17, 18 and 19 are refused here and the
    // device takes none but 0, 1, 2, 3, 17 and 18: the camera streams only
    // without sub-sampling.
    const bool subsampleAccepted = mode == 0;
    return inside && subsampleAccepted ? 1 : 0;
}

int CQuelix::ApplyWindowToDevice()
{
    if (device->SetCaptureWindow(offsetX, offsetY, width, height, subSample) != DeviceStatus::Ok)
        return 0;
    // The camera rounds odd offsets and sizes down to even ones; the host's
    // window, and so every image made for it, follows what it delivers.
    active.x = offsetX = device->winX;
    active.y = offsetY = device->winY;
    active.width = width = device->winWidth;
    active.height = height = device->winHeight;
    return 1;
}

void CQuelix::ResetCaptureWindow()
{
    totalWidth = kSensorWidth;
    totalHeight = kSensorHeight;
    width = kSensorWidth;
    height = kSensorHeight;
    offsetX = 0;
    offsetY = 0;
}

}  // namespace quelix
