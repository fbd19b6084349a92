// SPDX-License-Identifier: MIT
// Changing the capture window: by a stored size preset, or by its six
// values. A running acquisition is stopped around the change and started
// again, so the new window shows at once and the device's frame buffers are
// never rebuilt under a running transfer.
#include <optional>
#include <vector>

#include "camera/camera_object.h"
#include "dialogs/registry_layout.h"
#include "platform/registry/registry.h"

namespace quelix {

namespace {

constexpr int kMaxPresets = 100;

struct SizePreset {
    std::array<int32_t, 7> values{};  // TH, TV, EH, EV, EHS, EVS, Buf
};

}  // namespace

int CQuelix::RestartAround(const std::function<int()>& change)
{
    const int32_t mode = captureMode;
    const FrameTarget target = CurrentFrameTarget();
    if (mode != 0)
        StopAcquisition();
    const int changed = change();
    int restarted = 1;
    switch (mode) {
        case 1:
            restarted = StartPreview();
            break;
        case 2:
            restarted = StartCapture();
            break;
        case 3:
            restarted = StartTrigger(target.window, target.buffer, target.size, target.rowOption);
            break;
        default:
            break;
    }
    return changed != 0 && restarted != 0 ? 1 : 0;
}

int CQuelix::ApplyCaptureWindow()
{
    return RestartAround([this] { return ApplyWindowToDevice() != 0 ? 1 : Fail(kErrWindowInvalid); });
}

int CQuelix::SetCaptureWindow(int requestedWidth, int requestedHeight)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    const auto base = platform::RegistryKey::Open(kSdkRegistryKey);
    if (!base)
        return Fail(kErrWindow);
    // The presets the stream-format dialog stores for this device number.
    const auto cameraKey = base->OpenSubKey(NumberedKey("Camera", deviceNumber));
    std::optional<SizePreset> chosen;
    for (int n = 0; cameraKey && n < kMaxPresets && !chosen; ++n) {
        const auto key = cameraKey->OpenSubKey(NumberedKey("Size", n));
        if (!key)
            break;
        SizePreset preset;
        for (size_t i = 0; i < preset.values.size(); ++i)
            preset.values[i] = static_cast<int32_t>(key->ReadDword(kSizeValueNames[i]).value_or(0));
        if (preset.values[2] == requestedWidth && preset.values[3] == requestedHeight)
            chosen = preset;
    }
    if (!chosen)
        return Fail(kErrWindow);
    const auto fields = SizeFields();
    for (size_t i = 0; i < fields.size(); ++i)
        *fields[i] = chosen->values[i];
    if (!ValidateCaptureWindow()) {
        PostError(kErrWindowInvalid);
        ResetCaptureWindow();
    }
    return ApplyCaptureWindow();
}

int CQuelix::SetCaptureWindowEx(int newTotalWidth, int left, int newWidth, int newTotalHeight, int top,
                                int newHeight)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    platform::CriticalSectionGuard operation(operationLock);
    totalWidth = newTotalWidth;
    offsetX = left;
    width = newWidth;
    totalHeight = newTotalHeight;
    offsetY = top;
    height = newHeight;
    if (!ValidateCaptureWindow())
        return Fail(kErrWindowInvalid);
    return ApplyCaptureWindow();
}

}  // namespace quelix
