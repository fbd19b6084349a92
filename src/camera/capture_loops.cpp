// SPDX-License-Identifier: MIT
// The capture thread: the preview loop, which takes the newest frame the
// transfer thread delivers, and the trigger loop, which reads one frame per
// trigger. Each frame is corrected, published to latestImage, drawn into
// the preview window and delivered to the caller's buffer and window.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "camera/camera_object.h"
#include "device/device_status.h"
#include "pipeline/color_modes.h"
#include "pipeline/pixel_kernels.h"
#include "platform/os/clock.h"

namespace quelix {

namespace {

constexpr uint32_t kTriggerIdleMs = 10;
// The pause after a trigger-mode read failed, before the camera is asked again.
constexpr int32_t kTriggerRetryMs = 100;
constexpr uint32_t kFrameRateWindowMs = 1000;

void Store(int32_t& field, int32_t value)
{
    std::atomic_ref<int32_t>(field).store(value, std::memory_order_relaxed);
}

}  // namespace

void CQuelix::CaptureThreadProc()
{
    if (captureMode == 3)
        TriggerLoop();
    else
        PreviewLoop();
}

void CQuelix::PostFrameError(int32_t code)
{
    if (const platform::Hwnd window = CurrentFrameTarget().window; window != nullptr)
        platform::PostMessage(window, QUELIX_WM_FRAME, 0, code);
}

void CQuelix::RestrideRawFrame()
{
    CDibImage& raw = *Image(ImageRole::rawFrame);
    const int32_t bytesPerPixel = raw.bitCount / 8;
    if (raw.width * bytesPerPixel != raw.stride)
        raw.Convert(bytesPerPixel == 2 ? Restride16 : Restride8, &raw, nullptr, 0, 0);
}

void CQuelix::FillFrameInfo(const CDibImage& image, int32_t framesPerSecond10)
{
    Store(frameInfo.size, static_cast<int32_t>(sizeof frameInfo));
    Store(frameInfo.width, image.width);
    Store(frameInfo.height, image.height);
    const ColorMode* entry = ColorModeOf(colorMode);
    Store(frameInfo.bitCount, entry != nullptr ? entry->bits : 0);
    Store(frameInfo.fps10, framesPerSecond10);
    std::atomic_ref<uint8_t*>(frameInfo.data).store(CurrentFrameTarget().buffer, std::memory_order_relaxed);
}

void CQuelix::MeasureFrameRate()
{
    ++frameCount;
    const uint32_t elapsed = platform::TickCount() - fpsStart;
    if (elapsed > kFrameRateWindowMs) {
        fps10 = static_cast<int32_t>(frameCount * 10000.0 / elapsed);
        frameCount = 0;
        fpsStart = platform::TickCount();
    }
}

// The frame and its trailer word change together under displayLock: a
// reader that sees the same trailer before and after its copy of
// latestImage (Quelix_GetImage) has that frame's trailer.
void CQuelix::PublishFrame(int32_t trailer)
{
    platform::CriticalSectionGuard guard(displayLock);
    Image(ImageRole::latestImage)->CopyFrom(OutputImage());
    trailerValue = trailer;
}

CQuelix::FrameTarget CQuelix::CurrentFrameTarget()
{
    platform::CriticalSectionGuard guard(frameTargetLock);
    return {frameWindow, callbackBuffer, callbackBufferSize, callbackOption};
}

void CQuelix::DeliverFrame(int32_t trailer, uint64_t arrivedNs)
{
    // Held through the copy: a caller that replaces the buffer waits for it.
    platform::CriticalSectionGuard guard(frameTargetLock);
    const FrameTarget target = CurrentFrameTarget();
    if (target.buffer != nullptr && target.size != 0 &&
        !CopyToCallerBuffer(*OutputImage(), target.rowOption, target.buffer, target.size))
        return;
    if (target.window != nullptr) {
        frameTimes.Record(static_cast<uint32_t>(trailer), {arrivedNs, platform::MonotonicNs()});
        platform::PostMessage(target.window, QUELIX_WM_FRAME, reinterpret_cast<uintptr_t>(&frameInfo),
                              reinterpret_cast<intptr_t>(&trailerValue));
    }
}

CQuelix::HeldFrame CQuelix::TakeRawFrame(DeviceStatus (CQLXSdkLib::*read)(uint8_t*, size_t))
{
    platform::CriticalSectionGuard guard(rawFrameLock);
    CDibImage& raw = *Image(ImageRole::rawFrame);
    const HeldFrame frame{(device.get()->*read)(raw.pBits, raw.ImageBytes()), device->frameTrailer,
                          device->frameArrivalNs};
    RestrideRawFrame();
    return frame;
}

void CQuelix::FinishFrame(const HeldFrame& frame, bool streaming)
{
    if (streaming)
        MeasureFrameRate();
    FillFrameInfo(*WorkImage(), streaming ? fps10 : 0);
    CorrectFrame();
    PublishFrame(frame.trailer);
    if (streaming)
        recordQueue.Offer(*OutputImage());
    DrawPreview();
    DeliverFrame(frame.trailer, frame.arrivedNs);
}

void CQuelix::PreviewLoop()
{
    while (runState != 0) {
        // The pause of each turn ends early when the acquisition stops, so
        // a long wait time never holds up StopAcquisition.
        stopRequested.Wait(std::max(waitTime.load(), 0));
        if (runState != 1)
            continue;
        const RingWait ready = device->WaitRingFrame();
        if (ready == RingWait::Failed) {
            runState = 0;
            PostFrameError(kErrWaitFrame);
            PostError(kErrWaitFrame);
            break;
        }
        if (ready != RingWait::FrameReady)
            continue;
        const HeldFrame frame = TakeRawFrame(&CQLXSdkLib::ReadRingFrame);
        if (frame.read != DeviceStatus::Ok) {
            PostFrameError(kErrReadFrame);
            PostError(kErrReadFrame);
            break;
        }
        FinishFrame(frame, true);
    }
}

void CQuelix::TriggerLoop()
{
    // Set when the camera could not be opened, until it has its settings back.
    bool lost = false;
    while (runState != 0) {
        if (runState != 1) {
            platform::SleepMs(kTriggerIdleMs);
            continue;
        }
        if (lost) {
            if (!RestoreTriggeredCamera()) {
                stopRequested.Wait(kTriggerRetryMs);
                continue;
            }
            lost = false;
        }
        const DeviceStatus captured = device->CaptureSingleFrame();
        if (runState == 0)
            break;
        // A failed read is tried again after a pause, so a camera that is
        // away never spins the loop; its loss is told once.
        if (captured != DeviceStatus::Ok) {
            if (captured == DeviceStatus::NotOpened) {
                lost = true;
                PostFrameError(kErrWaitFrame);
            }
            stopRequested.Wait(kTriggerRetryMs);
            continue;
        }
        const HeldFrame frame = TakeRawFrame(&CQLXSdkLib::ReadSingleFrame);
        // A frame that does not fit the raw frame is dropped; the loop waits
        // for the next trigger.
        if (frame.read != DeviceStatus::Ok) {
            PostFrameError(kErrReadFrame);
            continue;
        }
        FinishFrame(frame, false);
    }
}

}  // namespace quelix
