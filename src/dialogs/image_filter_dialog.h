// SPDX-License-Identifier: MIT
// The image filter and gray filter dialog: a property dialog with the pages
// "Image Filter" and (in the monochrome colour modes) "Gray Filter", whose
// sliders edit the camera's filter settings while the preview runs, so every
// change shows in the next frame. The caller restores the settings unless the
// dialog ends with OK.
#pragma once

#include <cstdint>

#include "dialogs/dialog_hook.h"
#include "dialogs/settings_blocks.h"
#include "platform/dialogs/dialog_box.h"
#include "platform/windowing/window_table.h"

namespace quelix {

// Which controls may be used.
struct ImageDialogFlags {
    bool brightnessContrast = true;
    bool hueSaturation = true;
    bool sharpness = true;
    bool gains = false;  // R, G, B gain
    bool gamma = true;
    bool grayTab = false;
    bool automaticBalance = false;  // "Once", "All frames" and the Bayer mode on the image page

    // The flags of colour mode 0 to 5: monochrome (0, 1) or colour (2 to 5).
    static ImageDialogFlags ForColorMode(int32_t colorMode);
};

class CImageFilterDlg {
public:
    static constexpr int kTab = 1001;
    static constexpr int kDefault = 3;
    // Automatic white balance on the image page: on every frame, or once.
    static constexpr int kAllFrames = 1035;
    static constexpr int kOnce = 2074;
    // The Posted message that refreshes both pages from the settings.
    static constexpr int kRefreshPages = 1;

    CImageFilterDlg(ImageFilterSettings& settings, const ImageDialogFlags& flags)
        : settings_(settings), flags_(flags)
    {
    }

    // Runs the dialog modally over `parent` in the user's language; while it
    // runs, `refresh` asks it, from any thread, to show the settings again.
    // The button it ended with (1 OK, 2 Cancel), or -1 when it could not be shown.
    int DoModal(platform::Hwnd parent, DialogHook<>& refresh);

private:
    void Frame(platform::DialogPane frame, const platform::DialogMessage& message);
    void PageProcedure(int page, platform::DialogPane pane, const platform::DialogMessage& message);
    void InitPage(int page, platform::DialogPane pane);
    void RefreshPage(int page);
    void RefreshPages();
    // OK: every edit's number into its field.
    void TakeValues(int page);
    void CheckBayerMode(platform::DialogPane pane);
    void Default();

    ImageFilterSettings& settings_;
    ImageDialogFlags flags_;
    bool japanese_ = false;
    platform::DialogBox* box_ = nullptr;
    int panes_[2] = {-1, -1};  // the image page's and the gray page's pane
    bool initialised_[2] = {false, false};
};

}  // namespace quelix
