// SPDX-License-Identifier: MIT
// Window classes: a name and the procedure of the windows made with it. A
// class must be registered before windows of it are made, and can be
// unregistered only once none of them is left.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/windowing/window_table.h"

namespace quelix::platform {

inline constexpr uint32_t kWmClose = QUELIX_WM_CLOSE;

// false for an empty name, a null procedure or a name already registered.
bool RegisterWindowClass(std::string_view name, WindowProc procedure);
// false when the class is unknown or windows of it still exist.
bool UnregisterWindowClass(std::string_view name);
// The procedure of a registered class; null when unknown.
WindowProc FindWindowClass(std::string_view name);

// What a window does with a message its procedure leaves to the default: a
// close request destroys the window; everything else is ignored.
intptr_t DefWindowProc(Hwnd window, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace quelix::platform
