// SPDX-License-Identifier: MIT
// The settings dialogs seen from the camera object: what is refreshed and
// copied before a dialog runs, and what is put back unless it ends with OK.
#include "camera/camera_object.h"
#include "device/register_map.h"
#include "dialogs/camera_settings_dialog.h"
#include "dialogs/image_filter_dialog.h"
#include "dialogs/stream_format_dialog.h"

namespace quelix {

int CQuelix::SetAnalogDlg(platform::Hwnd parent)
{
    if (device == nullptr)
        return Fail(kErrNotInitialized);
    // The block as the device has it now; a value that cannot be read keeps the block's.
    camera.Set(CameraSlot::globalGain, device->GetGlobalGain() & 0xFF);
    const std::pair<int, CameraSlot> gains[] = {{kSensorGainGreen1, CameraSlot::colorGainGreen1},
                                                {kSensorGainRed, CameraSlot::colorGainRed},
                                                {kSensorGainBlue, CameraSlot::colorGainBlue},
                                                {kSensorGainGreen2, CameraSlot::colorGainGreen2}};
    for (const auto& [reg, slot] : gains) {
        if (int gain = 0; device->GetColorGain(reg, gain))
            camera.Set(slot, gain);
    }
    if (uint16_t lines = 0; device->GetExposureLines(lines))
        camera.Set(CameraSlot::exposureTime, lines);
    camera.Set(CameraSlot::mirrorV, device->GetMirrorV());
    camera.Set(CameraSlot::mirrorH, device->GetMirrorH());
    camera.Set(CameraSlot::peltier, device->GetPeltier() & 0xFF);
    const CameraSettings::Block saved = camera.Copy();
    const int32_t savedBayerMode = filter.Get(FilterSlot::bayerMode);

    // The time the page shows follows the present capture width.
    UpdateLineClocks();
    const ExposureConversion conversion{lineClocks, 0, clockPeriod};
    CAnalogDlg dialog(*device, camera, &conversion);
    if (dialog.DoModal(parent, cameraDialog) != platform::kIdOk) {
        const auto word = [&saved](CameraSlot slot) { return saved[static_cast<size_t>(slot)]; };
        device->SetExposureLines(static_cast<uint16_t>(word(CameraSlot::exposureTime)));
        device->SetPeltier(word(CameraSlot::peltier));
        device->SetMirrorV(word(CameraSlot::mirrorV));
        device->SetMirrorH(word(CameraSlot::mirrorH));
        device->SetPeltier(word(CameraSlot::peltier));
        camera.Assign(saved);
        filter.Set(FilterSlot::bayerMode, savedBayerMode);
    }
    return 1;
}

int CQuelix::SetImageDlg(platform::Hwnd parent)
{
    const ImageFilterSettings::Block saved = filter.Copy();
    CImageFilterDlg dialog(filter, ImageDialogFlags::ForColorMode(colorMode));
    if (dialog.DoModal(parent, filterDialog) != platform::kIdOk)
        filter.Assign(saved);
    return 1;
}

int CQuelix::SetCameraDlg(platform::Hwnd parent)
{
    // No other call changes the window or the acquisition while the dialog
    // is open.
    platform::CriticalSectionGuard operation(operationLock);
    // Preview and capture stop around the dialog (the window may change);
    // trigger mode only pauses.
    const int32_t mode = captureMode;
    if (mode == 1 || mode == 2)
        StopAcquisition();
    else if (mode == 3)
        runState = 2;
    CStreamFormatDlg dialog(device != nullptr ? device->GetDeviceNumber() : deviceNumber.load());
    const bool accepted = dialog.DoModal(parent) == platform::kIdOk;
    if (accepted) {
        ReadSizeSettings();
        ReadStreamSettings();
    }
    if (mode == 1)
        StartPreview();
    else if (mode == 2)
        StartCapture();
    else if (mode == 3 && accepted)
        // The paused trigger loop holds images of the old size and colour
        // mode: it starts again with images for the new ones.
        RestartAround([] { return 1; });
    else if (mode == 3)
        runState = 1;
    return 1;
}

}  // namespace quelix
