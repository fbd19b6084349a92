// SPDX-License-Identifier: MIT
// Initialisation and teardown of the camera object.
#include <cstring>
#include <new>

#include "camera/camera_object.h"

namespace quelix {

namespace {

constexpr uint16_t kFullScale14 = 0x3FFF;

void Fill16(CDibImage& image, uint16_t value)
{
    for (int32_t row = 0; row < image.height; ++row) {
        auto* samples = reinterpret_cast<uint16_t*>(image.pBits + static_cast<size_t>(row) * image.stride);
        std::fill(samples, samples + image.width, value);
    }
}

}  // namespace

int CQuelix::Initialize(platform::Hwnd window)
{
    if (!sharedTable.OpenSharedTable())
        return Fail(kErrObjects);  // errorWindow is not stored yet: nothing is posted

    try {
        // Device 0 is initialised unless another camera object streams it.
        device = std::make_unique<CQuelix205KWMXSdk>(false);
        for (std::unique_ptr<CDibImage>& image : images)
            image = std::make_unique<CDibImage>();
    } catch (const std::bad_alloc&) {
        errorWindow = window;
        return Fail(kErrObjects);
    }
    errorWindow = window;
    const bool mine = !DeviceHeldElsewhere(0);
    if (mine)
        device->InitDevice(0);

    const struct {
        ImageRole role;
        int bits;
    } sensorImages[] = {{ImageRole::darkRef8, 8},       {ImageRole::brightRef8, 8},
                        {ImageRole::darkRef16, 16},     {ImageRole::brightRef16, 16},
                        {ImageRole::defectWork8a, 8},   {ImageRole::defectWork8b, 8},
                        {ImageRole::defectWork16a, 16}, {ImageRole::defectWork16b, 16},
                        {ImageRole::defectWork8c, 8},   {ImageRole::defectWork16c, 16}};
    for (const auto& [role, bits] : sensorImages) {
        if (!Image(role)->Create(kSensorWidth, kSensorHeight, bits))
            return 0;
    }
    // Without a mask file the shading references are a black frame and a
    // full-scale frame; Create leaves every other pixel at zero.
    CDibImage& bright8 = *Image(ImageRole::brightRef8);
    std::memset(bright8.pBits, 0xFF, static_cast<size_t>(bright8.stride) * bright8.height);
    Fill16(*Image(ImageRole::brightRef16), kFullScale14);

    ReadSizeSettings();
    // A refusal here (out of memory) shows at the capture start, which
    // gives the device the window again, as it does to a camera that was
    // streamed by another camera object now.
    if (mine)
        ApplyWindowToDevice();
    previewRect = {0, 0, width, height};

    LoadFilterSettings(0);
    LoadGraySettings(0);
    filterSettingsLoaded = true;
    LoadSettings();
    if (mine) {
        device->SetExposureLines(static_cast<uint16_t>(camera.Get(CameraSlot::exposureTime)));
        device->SetMirrorV(camera.Get(CameraSlot::mirrorV));
        device->SetMirrorH(camera.Get(CameraSlot::mirrorH));
    }

    ReadStreamSettings();
    return 1;
}

CQuelix::~CQuelix()
{
    platform::CriticalSectionGuard operation(operationLock);
    const int number = device != nullptr ? device->GetDeviceNumber() : 0;
    if (device != nullptr)
        SaveSettings();
    if (filterSettingsLoaded) {
        // The filter blocks are kept under device number 0 whatever the device.
        SaveFilterSettings(0);
        SaveGraySettings(0);
    }
    Close();
    if (device != nullptr)
        sharedTable.ReleaseDevice(number, errorWindow);
    device.reset();
    for (std::unique_ptr<CDibImage>& image : images)
        image.reset();
    sharedTable.CloseSharedTable();
}

}  // namespace quelix
