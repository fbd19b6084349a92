// SPDX-License-Identifier: MIT
// Windows as the camera code sees them: opaque handles into the library's
// table of windows. Every use validates the handle, so a stale or foreign
// handle is refused, never dereferenced; handle values are never reused.
//
// Kinds: message windows (a queue only), display windows (top-level and
// child windows with a client area, display_window.h) and wrapped foreign X11
// windows. Every window has a message queue. Destroying a window destroys
// its child windows with it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "QuelixPlatform.h"
#include "platform/windowing/message_queue.h"

namespace quelix::platform {

using Hwnd = QUELIX_HWND;

enum class WindowKind { Message, TopLevel, Child, Foreign };

// The procedure of a window class; it receives the messages the platform
// delivers to a window of the class (a close request from the user).
using WindowProc = intptr_t (*)(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

struct DisplayState;

struct Window {
    explicit Window(WindowKind windowKind);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const WindowKind kind;
    MessageQueue queue;
    // Set before the window is filed and fixed afterwards.
    Hwnd parent = nullptr;
    std::string className;
    WindowProc procedure = nullptr;
    // Display and foreign windows: their screen side, guarded by DisplayLock().
    std::unique_ptr<DisplayState> display;
};

// Files the window in the table; null when it cannot be made.
Hwnd AddWindow(std::shared_ptr<Window> window);
std::shared_ptr<Window> FindWindow(Hwnd handle);
// Takes the window and its descendants out of the table, closes their queues
// and removes their screen side; false when unknown.
bool DestroyWindow(Hwnd handle);

// The windows whose parent is `parent`, oldest first (lowest in the stacking
// order first).
std::vector<std::pair<Hwnd, std::shared_ptr<Window>>> ChildWindows(Hwnd parent);
bool AnyWindowOfClass(std::string_view className);

Hwnd CreateMessageWindow();

// Posting never blocks; false when the window is unknown, destroyed or full.
bool PostMessage(Hwnd handle, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace quelix::platform
