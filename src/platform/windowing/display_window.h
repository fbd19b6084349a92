// SPDX-License-Identifier: MIT
// Display windows: top-level and child windows with a client area whose
// pixels blits write (device_context.h). They are real X11 windows when the
// library was built with X11 and a display is available, and headless
// windows in memory otherwise, with the same behaviour; wrapped foreign X11
// windows serve as parents.
//
// A window's position is relative to its parent's client area (top-level
// windows: to the screen). On this platform a window is its client area:
// frames and captions belong to the window manager.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/windowing/geometry.h"
#include "platform/windowing/surface.h"
#include "platform/windowing/window_table.h"

namespace quelix::platform {

// The screen side of a display window. Everything but caption and controlId
// (fixed when the window is filed) is guarded by DisplayLock().
struct DisplayState {
    std::string caption;
    int32_t controlId = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool visible = false;
    std::unique_ptr<Surface> client;  // 24-bit, top-down; null while the client area is empty
    unsigned long native = 0;         // the X11 window; 0 when headless
};

struct DisplayWindowParams {
    std::string_view className;  // a registered class, or empty for no class
    std::string_view caption;
    Hwnd parent = nullptr;  // null: a top-level window
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;  // client size; negative values count as 0
    int32_t height = 0;
    int32_t controlId = 0;
    bool visible = true;
};

struct WindowInfo {
    WindowKind kind = WindowKind::Message;
    Hwnd parent = nullptr;
    std::string className;
    std::string caption;
    int32_t controlId = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    unsigned long native = 0;  // the X11 window; 0 when headless
};

// Null when the class is not registered, the parent is not a display or
// foreign window, or the screen refuses the window.
Hwnd CreateDisplayWindow(const DisplayWindowParams& params);
// A handle for an X11 window of another connection to the library's display;
// null when the library has no X11 display or the window does not exist.
Hwnd WrapX11Window(void* display, unsigned long window);

bool ShowWindow(Hwnd window, bool show);
// Makes sure the screen shows the window's current state.
bool UpdateWindow(Hwnd window);
// A window is visible when it and all its ancestors are shown.
bool IsWindowVisible(Hwnd window);
bool GetClientSize(Hwnd window, int32_t& width, int32_t& height);
std::optional<WindowInfo> GetWindowInfo(Hwnd window);
void GetScreenSize(int32_t& width, int32_t& height);
bool DisplayIsX11();

// The client area of a visible window as top-down rows of width x 3 bytes
// (blue, green, red), child windows included; false when the window is not
// visible or `size` is smaller than width x height x 3.
bool ReadClientPixels(Hwnd window, uint8_t* bgr, size_t size);

// Blits a block of `source` into the window's client area and shows it
// (BlitSurface for the arguments).
bool BlitToWindow(Hwnd window, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& source, int32_t sx,
                  int32_t sy, bool flip);

// For the window table: removes the screen side of a destroyed window.
void RemoveScreenSide(Window& window);
// For the display: the user asked to close a top-level window. Windows of a
// class get QUELIX_WM_CLOSE through their procedure, others in their queue.
void DeliverCloseRequest(Hwnd window);

std::mutex& DisplayLock();

}  // namespace quelix::platform
