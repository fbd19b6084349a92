// Windows as the camera code sees them: opaque handles into the library's
// table of windows. Every use validates the handle, so a stale or foreign
// handle is refused, never dereferenced; handle values are never reused.
#pragma once

#include <cstdint>
#include <memory>

#include "QuelixPlatform.h"
#include "platform/message_queue.h"

namespace quelix::platform {

using Hwnd = QUELIX_HWND;

enum class WindowKind { Message };

struct Window {
    explicit Window(WindowKind windowKind) : kind(windowKind) {}
    const WindowKind kind;
    MessageQueue queue;
};

// Files the window in the table; null when it cannot be made.
Hwnd AddWindow(std::shared_ptr<Window> window);
std::shared_ptr<Window> FindWindow(Hwnd handle);
// Takes the window out of the table and closes its queue; false when unknown.
bool DestroyWindow(Hwnd handle);

Hwnd CreateMessageWindow();

// Posting never blocks; false when the window is unknown, destroyed or full.
bool PostMessage(Hwnd handle, uint32_t message, uintptr_t wParam, intptr_t lParam);

}  // namespace quelix::platform
