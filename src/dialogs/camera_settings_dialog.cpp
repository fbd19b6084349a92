// SPDX-License-Identifier: MIT
#include "dialogs/camera_settings_dialog.h"

#include <algorithm>
#include <cstdio>

#include "platform/text/language.h"
#include "resources/dialog_resources.h"

namespace quelix {

namespace {

using platform::DialogEvent;
using platform::DialogMessage;
using platform::DialogPane;

constexpr int kDefaultPeltier = 80;

// The exposure a number of the edit stands for: the device takes 1 to its
// maximum lines, and a number outside would reach it cut to 16 bits.
int32_t ExposureLines(int32_t value)
{
    return std::clamp(value, 1, CQLXSdkLib::MaxExposureLines());
}

}  // namespace

std::string ExposureTimeText(int32_t lines, const ExposureConversion* conversion)
{
    double milliseconds = 0.0;
    if (conversion != nullptr)
        milliseconds = (static_cast<double>(lines) * conversion->lineClocks + conversion->lineOffset) *
                       conversion->clockPeriod;
    char text[64];
    std::snprintf(text, sizeof text, "=%.2fms", milliseconds);
    return text;
}

std::string TemperatureText(int milliVolts)
{
    char text[64];
    std::snprintf(text, sizeof text, "%dmV %.1fC", milliVolts, (740 - milliVolts) / 14.8 * 10 + 27);
    return text;
}

// --- The page

void CAnalogGainPage::Exchange(DialogPane page, int direction)
{
    if (direction == 0) {
        const int32_t exposure = settings_.Get(CameraSlot::exposureTime);
        const int32_t peltier = settings_.Get(CameraSlot::peltier);
        page.SetPosition(kExposureSlider, exposure);
        page.SetInt(kExposureEdit, exposure, true);
        page.SetPosition(kPeltierSlider, peltier);
        page.SetInt(kPeltierEdit, peltier, true);
        return;
    }
    // An edit without a number (the English page has no Peltier edit) leaves its value.
    bool ok = false;
    if (const int32_t exposure = page.Int(kExposureEdit, &ok, true); ok)
        settings_.Set(CameraSlot::exposureTime, ExposureLines(exposure));
    if (const int32_t peltier = page.Int(kPeltierEdit, &ok, true); ok)
        settings_.Set(CameraSlot::peltier, peltier);
}

void CAnalogGainPage::ShowExposureTime(DialogPane page)
{
    page.SetText(kExposureTime, ExposureTimeText(settings_.Get(CameraSlot::exposureTime), conversion_));
}

void CAnalogGainPage::OnEditChange(DialogPane page, int id)
{
    bool ok = false;
    const int32_t value = page.Int(id, &ok, true);
    // Text on its way to a number (an emptied edit, a lone minus sign) changes nothing.
    if (!ok)
        return;
    if (id == kExposureEdit) {
        const int32_t lines = ExposureLines(value);
        settings_.Set(CameraSlot::exposureTime, lines);
        page.SetPosition(kExposureSlider, lines);
        device_.SetExposureLines(static_cast<uint16_t>(lines));
        ShowExposureTime(page);
    } else if (id == kPeltierEdit) {
        page.SetPosition(kPeltierSlider, value);
        device_.SetPeltier(value);
    }
}

void CAnalogGainPage::Procedure(DialogPane page, const DialogMessage& message)
{
    switch (message.event) {
        case DialogEvent::Init: {
            initialised_ = false;
            const int maximum = CQLXSdkLib::MaxExposureLines();
            const int32_t exposure = settings_.Get(CameraSlot::exposureTime);
            page.SetRange(kExposureSlider, 1, maximum);
            page.SetPosition(kExposureSlider, exposure);
            page.SetTicFrequency(kExposureSlider, (maximum - 1) / 8);
            page.SetRange(kExposureSpin, 1, maximum);
            page.SetPosition(kExposureSpin, exposure);
            page.SetInt(kExposureEdit, exposure, true);
            for (const int id : {kExposureSlider, kExposureEdit, kExposureSpin})
                page.Enable(id, true);
            page.SetCheck(kMirrorV, settings_.Get(CameraSlot::mirrorV) != 0);
            page.SetCheck(kMirrorH, settings_.Get(CameraSlot::mirrorH) != 0);
            for (const int id : {kPeltierSlider, kPeltierEdit, kPeltierSpin, kPeltierLabel})
                page.Show(id, false);
            page.SetText(kTemperature, "");
            page.SetCheck(kAutoExposure, settings_.Get(CameraSlot::autoIris) == 1);
            ShowExposureTime(page);
            page.SetFocus(kExposureEdit);
            page.SetTimer(kTemperatureTimer, kTemperatureIntervalMs);
            initialised_ = true;
            break;
        }
        case DialogEvent::Command:
            if (message.code == platform::kEditChange) {
                if (initialised_)
                    OnEditChange(page, message.id);
            } else if (message.code == platform::kClicked) {
                const bool checked = page.IsChecked(message.id);
                if (message.id == kMirrorV) {
                    settings_.Set(CameraSlot::mirrorV, checked ? 1 : 0);
                    device_.SetMirrorV(checked ? 1 : 0);
                } else if (message.id == kMirrorH) {
                    settings_.Set(CameraSlot::mirrorH, checked ? 1 : 0);
                    device_.SetMirrorH(checked ? 1 : 0);
                } else if (message.id == kAutoExposure) {
                    if (checked)
                        page.SetCheck(kAutoGain, false);
                    settings_.Set(CameraSlot::autoIris, checked ? 1 : 0);
                }
            }
            break;
        case DialogEvent::Scroll:
            if (message.id == kExposureSlider)
                page.SetInt(kExposureEdit, page.Position(kExposureSlider), true);
            else if (message.id == kPeltierSlider)
                page.SetInt(kPeltierEdit, page.Position(kPeltierSlider), true);
            break;
        case DialogEvent::Timer:
            if (message.id == kTemperatureTimer) {
                // A failed reading (-1) shows nothing rather than a made-up temperature.
                const int milliVolts = device_.GetTemperatureMilliVolts();
                page.SetText(kTemperature, milliVolts >= 0 ? TemperatureText(milliVolts) : std::string());
            }
            break;
        case DialogEvent::Posted:
            if (message.code == kShowExposure)
                page.SetInt(kExposureEdit, static_cast<int32_t>(message.value), true);
            break;
        case DialogEvent::Destroy:
            page.KillTimer(kTemperatureTimer);
            break;
        case DialogEvent::TabChange:
            break;
    }
}

// --- The dialog

void CAnalogDlg::Procedure(DialogPane frame, const DialogMessage& message)
{
    if (message.event == DialogEvent::Init) {
        frame.InsertItem(kTab, 0, "Analog Gain");
        frame.SetSelection(kTab, 0);
        const platform::DialogTemplate* page = resources::FindDialogTemplate(pageTemplate_);
        if (page == nullptr) {
            frame.Box().EndDialog(-1);
            return;
        }
        pagePane_ =
            frame.Box()
                .CreatePage(*page, kTab, 30, 25, true,
                            [this](DialogPane pane, const DialogMessage& m) { page_.Procedure(pane, m); })
                .Index();
    } else if (message.event == DialogEvent::TabChange && message.id == kTab) {
        if (frame.Selection(kTab) == 0)
            DialogPane(frame.Box(), pagePane_).ShowPane(true);
    } else if (message.event == DialogEvent::Command && message.code == platform::kClicked) {
        if (message.id == platform::kIdOk) {
            page_.Exchange(DialogPane(frame.Box(), pagePane_), 1);
            frame.Box().EndDialog(platform::kIdOk);
        } else if (message.id == platform::kIdCancel) {
            frame.Box().EndDialog(platform::kIdCancel);
        } else if (message.id == kDefault) {
            settings_.Set(CameraSlot::exposureTime, CQLXSdkLib::DefaultExposure());
            settings_.Set(CameraSlot::peltier, kDefaultPeltier);
            device_.SetExposureLines(static_cast<uint16_t>(CQLXSdkLib::DefaultExposure()));
            // The page without a Peltier edit would not pass the value on.
            device_.SetPeltier(kDefaultPeltier);
            page_.Exchange(DialogPane(frame.Box(), pagePane_), 0);
        }
    }
}

int CAnalogDlg::DoModal(platform::Hwnd parent, DialogHook<int32_t>& exposureShown)
{
    const bool japanese = platform::SystemLanguageIsJapanese();
    const platform::DialogTemplate* frame = resources::FindDialogTemplate(
        japanese ? resources::kCameraDialogJapanese : resources::kCameraDialogEnglish);
    pageTemplate_ = japanese ? resources::kCameraPageJapanese : resources::kCameraPageEnglish;
    if (frame == nullptr)
        return -1;
    platform::DialogBox box(
        *frame, parent, [this](DialogPane pane, const DialogMessage& message) { Procedure(pane, message); });
    // The page is the first pane after the dialog itself.
    exposureShown.Install([&box](int32_t lines) { box.Post(1, CAnalogGainPage::kShowExposure, lines); });
    const int result = box.Run();
    exposureShown.Remove();
    return result;
}

}  // namespace quelix
