// SPDX-License-Identifier: MIT
// The camera settings dialog: a property dialog with one page, "Analog
// Gain", on which the user sets the exposure (slider, number and the time in
// milliseconds), the mirrors and automatic exposure. Every change goes to the
// device at once; the caller undoes them unless the dialog ends with OK.
#pragma once

#include <cstdint>
#include <string>

#include "device/qlx_sdk_lib.h"
#include "dialogs/dialog_hook.h"
#include "dialogs/settings_blocks.h"
#include "platform/dialogs/dialog_box.h"
#include "platform/windowing/window_table.h"

namespace quelix {

// The exposure in milliseconds is (lines x lineClocks + lineOffset) x clockPeriod.
struct ExposureConversion {
    uint16_t lineClocks = 0;
    uint16_t lineOffset = 0;
    double clockPeriod = 0.0;
};

// The texts the page shows: "=%.2fms" of an exposure (0 without a
// conversion), and "%dmV %.1fC" of a temperature reading.
std::string ExposureTimeText(int32_t lines, const ExposureConversion* conversion);
std::string TemperatureText(int milliVolts);

// The page: controls and what they do.
class CAnalogGainPage {
public:
    // The timer that refreshes the temperature text, and its period.
    static constexpr int kTemperatureTimer = 1124;
    static constexpr int kTemperatureIntervalMs = 1000;
    // The Posted message that shows an exposure automatic exposure has set.
    static constexpr int kShowExposure = 1;
    // Its controls.
    static constexpr int kExposureSlider = 1026;
    static constexpr int kExposureEdit = 1027;
    static constexpr int kExposureSpin = 1043;
    static constexpr int kExposureTime = 1049;
    static constexpr int kMirrorV = 1028;
    static constexpr int kMirrorH = 1029;
    static constexpr int kAutoExposure = 1037;
    static constexpr int kAutoGain = 1036;
    static constexpr int kPeltierSlider = 1030;
    static constexpr int kPeltierEdit = 1031;
    static constexpr int kPeltierSpin = 1044;
    static constexpr int kPeltierLabel = 1051;
    static constexpr int kTemperature = 1050;

    CAnalogGainPage(CQLXSdkLib& device, CameraSettings& settings, const ExposureConversion* conversion)
        : device_(device), settings_(settings), conversion_(conversion)
    {
    }

    // 0: the exposure and Peltier values into their sliders and edits; 1:
    // the edits' numbers back into the settings.
    void Exchange(platform::DialogPane page, int direction);
    void Procedure(platform::DialogPane page, const platform::DialogMessage& message);

private:
    void ShowExposureTime(platform::DialogPane page);
    void OnEditChange(platform::DialogPane page, int id);

    CQLXSdkLib& device_;
    CameraSettings& settings_;
    const ExposureConversion* conversion_;
    bool initialised_ = false;  // false while the page fills its controls
};

class CAnalogDlg {
public:
    static constexpr int kTab = 1001;
    static constexpr int kDefault = 3;

    CAnalogDlg(CQLXSdkLib& device, CameraSettings& settings, const ExposureConversion* conversion)
        : device_(device), settings_(settings), page_(device, settings, conversion)
    {
    }

    // Runs the dialog modally over `parent` in the user's language; while it
    // runs, `exposureShown` carries the exposures automatic exposure sets to
    // the page, from any thread. The button it ended with (1 OK, 2 Cancel),
    // or -1 when it could not be shown.
    int DoModal(platform::Hwnd parent, DialogHook<int32_t>& exposureShown);

private:
    void Procedure(platform::DialogPane frame, const platform::DialogMessage& message);

    CQLXSdkLib& device_;
    CameraSettings& settings_;
    CAnalogGainPage page_;
    int pageTemplate_ = 0;
    int pagePane_ = -1;
};

}  // namespace quelix
