// SPDX-License-Identifier: MIT
// Initialisation and teardown of the camera object.
#include <cstring>
#include <new>

#include "camera/camera_object.h"

namespace quelix {

namespace {

constexpr uint16_t kFullScale14 = 0x3FFF;

// Every image of the camera in field order.
std::array<std::unique_ptr<CDibImage>*, 20> Images(CQuelix& camera)
{
    return {&camera.image8,        &camera.image16,      &camera.image24,       &camera.image32,
            &camera.image48,       &camera.image64,      &camera.filterScratch, &camera.displayImage,
            &camera.rawFrame,      &camera.darkRef8,     &camera.brightRef8,    &camera.darkRef16,
            &camera.brightRef16,   &camera.defectWork8a, &camera.defectWork8b,  &camera.defectWork16a,
            &camera.defectWork16b, &camera.defectWork8c, &camera.defectWork16c, &camera.latestImage};
}

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
        for (std::unique_ptr<CDibImage>* image : Images(*this))
            *image = std::make_unique<CDibImage>();
    } catch (const std::bad_alloc&) {
        errorWindow = window;
        return Fail(kErrObjects);
    }
    errorWindow = window;
    const bool mine = !DeviceHeldElsewhere(0);
    if (mine)
        device->InitDevice(0);

    const struct {
        CDibImage* image;
        int bits;
    } references[] = {{darkRef8.get(), 8},       {brightRef8.get(), 8},     {darkRef16.get(), 16},
                      {brightRef16.get(), 16},   {defectWork8a.get(), 8},   {defectWork8b.get(), 8},
                      {defectWork16a.get(), 16}, {defectWork16b.get(), 16}, {defectWork8c.get(), 8},
                      {defectWork16c.get(), 16}};
    for (const auto& [image, bits] : references) {
        if (!image->Create(kSensorWidth, kSensorHeight, bits))
            return 0;
    }
    // Without a mask file the shading references are a black frame and a
    // full-scale frame; Create leaves every other pixel at zero.
    std::memset(brightRef8->pBits, 0xFF, static_cast<size_t>(brightRef8->stride) * brightRef8->height);
    Fill16(*brightRef16, kFullScale14);

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
    for (std::unique_ptr<CDibImage>* image : Images(*this))
        image->reset();
    sharedTable.CloseSharedTable();
}

}  // namespace quelix
