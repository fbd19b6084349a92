// SPDX-License-Identifier: MIT
// The stream format dialog: the output colour format, the capture size from
// the stored size presets or a custom size that becomes one, and the wait
// between frames. It works on the registry only: it reads the camera's
// stream settings and presets when it opens, and OK or Apply write them back.
#pragma once

#include <array>
#include <cstdint>

#include "platform/dialogs/dialog_box.h"
#include "platform/windowing/window_table.h"

namespace quelix {

inline constexpr int kPresetTableSize = 100;

// A size preset in the order "TH", "TV", "EH", "EV", "EHS", "EVS", "Buf".
using SizePreset = std::array<int32_t, 7>;
inline constexpr SizePreset kDefaultSizePreset = {320, 256, 320, 256, 0, 0, 4};

struct StreamDialogState {
    std::array<SizePreset, kPresetTableSize> presets;
    int presetCount = 0;    // presets loaded, 0 to kPresetTableSize
    int32_t sizeIndex = 0;  // presetCount: the custom entry
    int32_t colorMode = 2;
    int32_t subSample = 0;
    int32_t waitTime = 1;
    int32_t clock = 0;
    int cameraIndex = 0;

    StreamDialogState() { presets.fill(kDefaultSizePreset); }
};

// The presets and stream values of camera `cameraIndex` from the registry;
// what is missing keeps its default.
void LoadStreamSettings(StreamDialogState& state);
// Writes them back; registry failures stop it silently where they happen.
void SaveStreamSettings(const StreamDialogState& state);

class CStreamFormatDlg {
public:
    static constexpr int kApply = 1002;
    static constexpr int kNotice = 1003;
    static constexpr int kColor = 1009;
    static constexpr int kSize = 1010;
    static constexpr int kSubSample = 1012;
    static constexpr int kClock = 1014;

    explicit CStreamFormatDlg(int cameraIndex) { state_.cameraIndex = cameraIndex; }

    // Runs the dialog modally over `parent` in the user's language: the
    // button it ended with (1 OK, 2 Cancel), or -1 when it could not be shown.
    int DoModal(platform::Hwnd parent);
    const StreamDialogState& State() const { return state_; }

private:
    void Procedure(platform::DialogPane dialog, const platform::DialogMessage& message);
    void Init(platform::DialogPane dialog);
    void ShowPreset(platform::DialogPane dialog, int index);
    // OK and Apply: the controls into the state, a custom size into a new
    // preset. False, with a notice, when the custom size finds the table full.
    bool TakeValues(platform::DialogPane dialog);

    StreamDialogState state_;
    bool japanese_ = false;
    bool initialised_ = false;
};

}  // namespace quelix
