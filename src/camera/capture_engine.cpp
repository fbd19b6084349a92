// SPDX-License-Identifier: MIT
// The capture engine's operations on the caller's thread: preparing the
// device and the images, starting and stopping the preview and trigger
// modes, single snapshots and copies of the latest frame.
#include <cstring>

#include "camera/camera_object.h"
#include "device/device_status.h"
#include "pipeline/color_modes.h"
#include "platform/os/clock.h"
#include "platform/windowing/device_context.h"
#include "platform/windowing/display_window.h"

namespace quelix {

namespace {

constexpr int32_t kCaptureTimeoutMs = 10000;
constexpr uint32_t kClockSettleMs = 100;

}  // namespace

CDibImage* CQuelix::OutputImage() const
{
    const int32_t mode = colorMode.load();
    return ColorModeOf(mode) != nullptr ? Image(OutputRole(mode)).get() : nullptr;
}

CDibImage* CQuelix::WorkImage() const
{
    return Image(WorkRole(colorMode)).get();
}

bool CQuelix::DeviceHeldElsewhere(int n) const
{
    return sharedTable.IsDeviceClaimed(n) ||
           platform::DeviceClaim::HeldElsewhere(device->DriverPath(n).c_str());
}

int CQuelix::PrepareAcquisition()
{
    const int number = device->GetDeviceNumber();
    if (!device->IsDevicePresent(number) || DeviceHeldElsewhere(number))
        return Fail(kErrNoDevice);
    if (!ValidateCaptureWindow())
        return Fail(kErrWindowInvalid);
    const int32_t mode = colorMode;
    if (mode < 0 || mode > 5)
        return Fail(kErrObjects);
    // The device's frame geometry first: the images are made for the window
    // the camera delivers, and frames are never copied into images of
    // another size.
    device->SetWordMode(UsesWideWork(mode) ? 1 : 0);
    if (!ApplyWindowToDevice())
        return Fail(kErrWindowInvalid);

    const int32_t w = active.width;
    const int32_t h = active.height;
    const struct {
        CDibImage* image;
        int bits;
        bool needed;
    } outputs[] = {{Image(ImageRole::image8).get(), 8, mode <= 3},
                   {Image(ImageRole::image16).get(), 16, UsesWideWork(mode)},
                   {Image(ImageRole::image24).get(), 24, mode != 1},
                   {Image(ImageRole::image32).get(), 32, mode == 3},
                   {Image(ImageRole::image48).get(), 48, mode == 4},
                   {Image(ImageRole::image64).get(), 64, mode == 5}};
    for (const auto& [image, bits, needed] : outputs) {
        if (needed && !image->Create(w, h, bits))
            return Fail(kErrObjects);
    }
    if (!Image(ImageRole::filterScratch)->CreateLike(OutputImage()))
        return Fail(kErrObjects);
    {
        platform::CriticalSectionGuard guard(displayLock);
        if (!Image(ImageRole::latestImage)->CreateLike(OutputImage()))
            return Fail(kErrObjects);
    }
    {
        platform::CriticalSectionGuard guard(rawFrameLock);
        if (!Image(ImageRole::rawFrame)->Create(w, h, UsesWideWork(mode) ? 16 : 8))
            return Fail(kErrObjects);
    }

    int clockMode = 0;
    device->GetClockMode(clockMode);
    // The camera's clock mode is fixed: the setter changes nothing and says
    // so, and then there is nothing to settle.
    if (clockMode != halfClock && CQLXSdkLib::SetClockMode(halfClock))
        platform::SleepMs(kClockSettleMs);
    ConfigureCamera();

    const platform::Hwnd window = previewWindow;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    if (platform::IsWindowVisible(window) && platform::GetClientSize(window, clientWidth, clientHeight) &&
        clientWidth > 0 && clientHeight > 0 && previewDC.load() != nullptr) {
        // 8-bit buffers come with the gray ramp.
        Image(ImageRole::displayImage)->Create(clientWidth, clientHeight, mode <= 1 ? 8 : 24);
    }
    return 1;
}

void CQuelix::ConfigureCamera()
{
    device->SetMirrorV(camera.Get(CameraSlot::mirrorV));
    device->SetMirrorH(camera.Get(CameraSlot::mirrorH));
    device->SetTriggerMode(0);
    device->SetExposureLines(static_cast<uint16_t>(camera.Get(CameraSlot::exposureTime)));
    device->SetPeltier(camera.Get(CameraSlot::peltier));
    GetRealExposureTime(nullptr);
    transferTimeout = kCaptureTimeoutMs;
    device->SetTimeout(kCaptureTimeoutMs);
}

bool CQuelix::RestoreTriggeredCamera()
{
    device->SetWordMode(UsesWideWork(colorMode) ? 1 : 0);
    if (device->SetCaptureWindow(active.x, active.y, active.width, active.height, subSample) !=
        DeviceStatus::Ok)
        return false;
    ConfigureCamera();
    return device->SetTriggerMode(1) == 1;
}

int CQuelix::StartPreview()
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    if (captureMode == 1)
        return 1;
    if (captureMode != 0 || !PrepareAcquisition())
        return Fail(kErrNotInitialized);
    // Another process may have claimed the camera since the check.
    if (!deviceClaim.Take(device->devicePath.data())) {
        PostError(kErrNoDevice);
        return Fail(kErrNotInitialized);
    }

    runState = 1;
    stopRequested.Reset();
    if (!captureThread.Start([this] { CaptureThreadProc(); })) {
        StopAcquisition();
        return Fail(kErrThread);
    }
    device->SetTriggerMode(0);
    if (device->StartTransferThread() != DeviceStatus::Ok) {
        StopAcquisition();
        return Fail(kErrRegister);
    }
    captureMode = 1;
    sharedTable.ClaimDevice(device->GetDeviceNumber(), errorWindow);
    return 1;
}

int CQuelix::StopAcquisition()
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    runState = 0;
    stopRequested.Set();
    if (captureMode.exchange(0) != 0) {
        device->SetTriggerMode(0);
        device->StopTransferThread();
        sharedTable.ReleaseDevice(device->GetDeviceNumber(), errorWindow);
    }
    deviceClaim.Release();
    captureThread.Join();
    StopRecording();
    return 1;
}

bool CQuelix::MakePreviewWindowIfAsked()
{
    const bool asked = previewParent != nullptr || previewRect.left != 0 || previewRect.top != 0 ||
                       previewRect.right != 0 || previewRect.bottom != 0;
    if (!asked || previewWindow.load() != nullptr)
        return true;
    const platform::Hwnd window = CreatePreviewWindow(previewParent, previewRect);
    previewWindow = window;
    const platform::Hdc dc = window != nullptr ? platform::GetDC(window) : nullptr;
    previewDC = dc;
    if (window == nullptr || dc == nullptr) {
        PostError(kErrWindow);
        return false;
    }
    return true;
}

void CQuelix::SetFrameTarget(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption)
{
    platform::CriticalSectionGuard guard(frameTargetLock);
    frameWindow = window;
    callbackBuffer = buffer;
    callbackBufferSize = size;
    callbackOption = rowOption;
}

int CQuelix::PreviewInWindow()
{
    return CallBackPreview(nullptr, nullptr, 0, 0);
}

int CQuelix::CallBackPreview(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption)
{
    platform::CriticalSectionGuard operation(operationLock);
    SetFrameTarget(window, buffer, size, rowOption);
    if (!MakePreviewWindowIfAsked())
        return 0;
    if (!StartPreview()) {
        Close();
        return Fail(kErrReadFrame);
    }
    return 1;
}

int CQuelix::StartCapture()
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    if (captureMode == 2)
        return 1;
    if (captureMode != 0 || !PrepareAcquisition())
        return Fail(kErrNotInitialized);
    captureMode = 2;
    return 1;
}

int CQuelix::TakeSnapShot(uint8_t* buffer, int32_t size, int32_t rowOption)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    const int32_t mode = captureMode;
    if (mode == 1 || mode == 3 || (mode == 0 && !PrepareAcquisition()))
        return Fail(kErrNotInitialized);
    const auto closeUnlessCapturing = [this, mode] {
        if (mode != 2)
            device->CloseCaptureHandle();
    };

    device->SetTriggerMode(0);
    if (device->CaptureSingleFrame() != DeviceStatus::Ok) {
        closeUnlessCapturing();
        return Fail(kErrReadFrame);
    }
    DeviceStatus read = DeviceStatus::Ok;
    {
        platform::CriticalSectionGuard guard(rawFrameLock);
        read = device->ReadSingleFrame(Image(ImageRole::rawFrame)->pBits,
                                       Image(ImageRole::rawFrame)->ImageBytes());
        RestrideRawFrame();
    }
    if (read != DeviceStatus::Ok) {
        PostFrameError(kErrReadFrame);
        closeUnlessCapturing();
        return Fail(kErrReadFrame);
    }
    CorrectFrame();
    {
        platform::CriticalSectionGuard guard(displayLock);
        Image(ImageRole::latestImage)->CopyFrom(OutputImage());
    }
    if (buffer != nullptr && size != 0 && !CopyToCallerBuffer(*OutputImage(), rowOption, buffer, size)) {
        closeUnlessCapturing();
        return Fail(kErrObjects);
    }
    closeUnlessCapturing();
    return 1;
}

int CQuelix::GetImage(uint8_t* buffer, int32_t size, int32_t rowOption)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard guard(displayLock);
    if (Image(ImageRole::latestImage) == nullptr)
        return Fail(kErrNotInitialized);
    if (Image(ImageRole::latestImage)->pBits == nullptr || buffer == nullptr)
        return Fail(kErrObjects);
    if (!CopyToCallerBuffer(*Image(ImageRole::latestImage), rowOption, buffer, size))
        return Fail(kErrObjects);
    return 1;
}

int CQuelix::StartTrigger(platform::Hwnd window, uint8_t* buffer, int32_t size, int32_t rowOption)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    const int32_t mode = captureMode;
    if (mode == 1 || mode == 2)
        return Fail(kErrNotInitialized);
    SetFrameTarget(window, buffer, size, rowOption);
    // Already triggered: the running loop takes the new target; no second thread.
    if (mode == 3)
        return 1;
    if (!MakePreviewWindowIfAsked())
        return 0;
    if (!PrepareAcquisition()) {
        Close();
        return Fail(kErrNotInitialized);
    }
    captureMode = 3;
    device->SetTriggerMode(1);
    runState = 1;
    stopRequested.Reset();
    if (!captureThread.Start([this] { CaptureThreadProc(); })) {
        Close();
        return Fail(kErrThread);
    }
    return 1;
}

int CQuelix::CopyToCallerBuffer(const CDibImage& image, int32_t rowOption, uint8_t* buffer, int32_t size)
{
    const int64_t needed = static_cast<int64_t>(image.stride) * image.height;
    if (size < needed) {
        PostFrameError(kErrObjects);
        return Fail(kErrObjects);
    }
    const auto stride = static_cast<size_t>(image.stride);
    for (int32_t row = 0; row < image.height; ++row) {
        const int32_t source = rowOption != 0 ? row : image.height - 1 - row;
        std::memcpy(buffer + static_cast<size_t>(row) * stride,
                    image.pBits + static_cast<size_t>(source) * stride, stride);
    }
    return 1;
}

}  // namespace quelix
