// SPDX-License-Identifier: MIT
// The screen display windows are shown on: an X11 display, or a headless
// screen in memory. Every call is made with DisplayLock() held.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/windowing/display_window.h"

namespace quelix::platform {

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;

    virtual bool IsX11() const = 0;
    virtual void ScreenSize(int32_t& width, int32_t& height) = 0;
    // Whether an application's Xlib connection (a Display*) talks to this screen.
    virtual bool IsSameDisplay(void* display) = 0;
    // Makes the native window of `window` (already placed and sized) in the
    // native window `parentNative`, or on the screen when that is 0.
    virtual bool CreateNative(Hwnd handle, DisplayState& window, unsigned long parentNative,
                              std::string_view className) = 0;
    virtual void DestroyNative(DisplayState& window) = 0;
    // Shows or hides the native window as window.visible says.
    virtual void ShowNative(DisplayState& window) = 0;
    virtual bool Flush() = 0;
    // The size the native window has now (the user or the window manager may
    // have resized it); false when there is no native window.
    virtual bool NativeClientSize(const DisplayState& window, int32_t& width, int32_t& height) = 0;
    // Puts the area of the client surface on the screen.
    virtual void Present(DisplayState& window, const Rect& area) = 0;
    // The pixels of a native window, as ReadClientPixels gives them.
    virtual bool ReadNative(unsigned long native, uint8_t* bgr, int32_t width, int32_t height) = 0;
    // Size and map state of a native window of another client.
    virtual bool QueryForeign(unsigned long native, int32_t& width, int32_t& height, bool& viewable) = 0;
};

// The screen of this process: X11 when built with it and $DISPLAY opens
// with a true-colour visual, else headless. Chosen on first use.
DisplayBackend& Backend();

std::unique_ptr<DisplayBackend> MakeHeadlessBackend();
#ifdef QUELIX_HAVE_X11
// Null when the display cannot be opened or has no true-colour visual.
std::unique_ptr<DisplayBackend> OpenX11Backend();
#endif

}  // namespace quelix::platform
