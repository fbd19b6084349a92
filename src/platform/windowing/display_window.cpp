// SPDX-License-Identifier: MIT
#include "platform/windowing/display_window.h"

#include <algorithm>
#include <cstring>

#include "platform/windowing/display_backend.h"
#include "platform/windowing/window_class.h"

namespace quelix::platform {

namespace {

constexpr int kClientBits = 24;

bool IsOwnDisplayWindow(const Window& window)
{
    return window.display != nullptr &&
           (window.kind == WindowKind::TopLevel || window.kind == WindowKind::Child);
}

// Gives the window a new, black client area. Runs with DisplayLock() held.
void ResizeClient(DisplayState& state, int32_t width, int32_t height)
{
    state.width = width;
    state.height = height;
    state.client = width > 0 && height > 0 ? CreateSurface(width, -height, kClientBits) : nullptr;
}

// The client size as the screen has it now. Runs with DisplayLock() held.
void RefreshClientSize(DisplayBackend& backend, const Window& window)
{
    DisplayState& state = *window.display;
    int32_t width = 0;
    int32_t height = 0;
    // Only top-level windows are resized from outside (by the user, through
    // the window manager); an empty client area stays empty.
    if (window.kind != WindowKind::TopLevel || state.width <= 0 || state.height <= 0 ||
        !backend.NativeClientSize(state, width, height))
        return;
    if (width != state.width || height != state.height)
        ResizeClient(state, width, height);
}

// Copies the client pixels of a headless window and of its visible children
// into `out` (rows of outStride bytes), the client origin at (originX,
// originY), limited to `clip`. Runs with DisplayLock() held.
void Compose(Hwnd handle, const DisplayState& state, uint8_t* out, size_t outStride, int32_t originX,
             int32_t originY, Rect clip)
{
    clip.left = std::max(clip.left, originX);
    clip.top = std::max(clip.top, originY);
    clip.right = std::min<int32_t>(clip.right, originX + state.width);
    clip.bottom = std::min<int32_t>(clip.bottom, originY + state.height);
    if (clip.left >= clip.right || clip.top >= clip.bottom)
        return;
    if (state.client != nullptr) {
        const size_t bytes = static_cast<size_t>(clip.right - clip.left) * 3;
        for (int32_t y = clip.top; y < clip.bottom; ++y) {
            std::memcpy(out + static_cast<size_t>(y) * outStride + static_cast<size_t>(clip.left) * 3,
                        state.client->Row(y - originY) + static_cast<size_t>(clip.left - originX) * 3, bytes);
        }
    }
    for (const auto& [childHandle, child] : ChildWindows(handle)) {
        if (child->display != nullptr && child->display->visible) {
            Compose(childHandle, *child->display, out, outStride, originX + child->display->x,
                    originY + child->display->y, clip);
        }
    }
}

}  // namespace

std::mutex& DisplayLock()
{
    static std::mutex lock;
    return lock;
}

DisplayBackend& Backend()
{
    static const std::unique_ptr<DisplayBackend> backend = [] {
        // The X11 event thread uses the lock and the window table until the
        // backend is destroyed, so both must be made (and outlive it) first.
        DisplayLock();
        FindWindow(nullptr);
#ifdef QUELIX_HAVE_X11
        if (std::unique_ptr<DisplayBackend> x11 = OpenX11Backend())
            return x11;
#endif
        return MakeHeadlessBackend();
    }();
    return *backend;
}

Hwnd CreateDisplayWindow(const DisplayWindowParams& params)
{
    WindowProc procedure = nullptr;
    if (!params.className.empty()) {
        procedure = FindWindowClass(params.className);
        if (procedure == nullptr)
            return nullptr;
    }
    std::shared_ptr<Window> parent;
    if (params.parent != nullptr) {
        parent = FindWindow(params.parent);
        if (parent == nullptr || parent->display == nullptr)
            return nullptr;
    }
    auto window = std::make_shared<Window>(parent != nullptr ? WindowKind::Child : WindowKind::TopLevel);
    window->parent = params.parent;
    window->className = params.className;
    window->procedure = procedure;
    window->display = std::make_unique<DisplayState>();
    DisplayState& state = *window->display;
    state.caption = params.caption;
    state.controlId = params.controlId;
    state.x = params.x;
    state.y = params.y;
    state.visible = params.visible;
    ResizeClient(state, std::max(params.width, 0), std::max(params.height, 0));
    if (state.width > 0 && state.height > 0 && state.client == nullptr)
        return nullptr;

    DisplayBackend& backend = Backend();
    const Hwnd handle = AddWindow(window);
    if (handle == nullptr)
        return nullptr;
    bool created = false;
    {
        std::lock_guard lock(DisplayLock());
        const unsigned long parentNative = parent != nullptr ? parent->display->native : 0;
        created = backend.CreateNative(handle, state, parentNative, params.className);
    }
    if (!created) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

Hwnd WrapX11Window(void* display, unsigned long window)
{
    if (display == nullptr || window == 0)
        return nullptr;
    DisplayBackend& backend = Backend();
    {
        std::lock_guard lock(DisplayLock());
        int32_t width = 0;
        int32_t height = 0;
        bool viewable = false;
        if (!backend.IsSameDisplay(display) || !backend.QueryForeign(window, width, height, viewable))
            return nullptr;
    }
    auto wrapped = std::make_shared<Window>(WindowKind::Foreign);
    wrapped->display = std::make_unique<DisplayState>();
    wrapped->display->native = window;
    return AddWindow(wrapped);
}

bool ShowWindow(Hwnd window, bool show)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr || !IsOwnDisplayWindow(*target))
        return false;
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    target->display->visible = show;
    backend.ShowNative(*target->display);
    return true;
}

bool UpdateWindow(Hwnd window)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr || !IsOwnDisplayWindow(*target))
        return false;
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    return backend.Flush();
}

bool IsWindowVisible(Hwnd window)
{
    DisplayBackend& backend = Backend();
    for (Hwnd current = window;;) {
        const std::shared_ptr<Window> target = FindWindow(current);
        if (target == nullptr || target->display == nullptr)
            return false;
        std::lock_guard lock(DisplayLock());
        if (target->kind == WindowKind::Foreign) {
            int32_t width = 0;
            int32_t height = 0;
            bool viewable = false;
            return backend.QueryForeign(target->display->native, width, height, viewable) && viewable;
        }
        if (!target->display->visible)
            return false;
        if (target->parent == nullptr)
            return true;
        current = target->parent;
    }
}

bool GetClientSize(Hwnd window, int32_t& width, int32_t& height)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr || target->display == nullptr)
        return false;
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    if (target->kind == WindowKind::Foreign) {
        bool viewable = false;
        return backend.QueryForeign(target->display->native, width, height, viewable);
    }
    RefreshClientSize(backend, *target);
    width = target->display->width;
    height = target->display->height;
    return true;
}

std::optional<WindowInfo> GetWindowInfo(Hwnd window)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr)
        return std::nullopt;
    WindowInfo info;
    info.kind = target->kind;
    info.parent = target->parent;
    info.className = target->className;
    if (target->display != nullptr) {
        info.caption = target->display->caption;
        info.controlId = target->display->controlId;
        std::lock_guard lock(DisplayLock());
        info.x = target->display->x;
        info.y = target->display->y;
        info.width = target->display->width;
        info.height = target->display->height;
        info.native = target->display->native;
    }
    return info;
}

void GetScreenSize(int32_t& width, int32_t& height)
{
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    backend.ScreenSize(width, height);
}

bool DisplayIsX11()
{
    return Backend().IsX11();
}

bool ReadClientPixels(Hwnd window, uint8_t* bgr, size_t size)
{
    int32_t width = 0;
    int32_t height = 0;
    const std::shared_ptr<Window> target = FindWindow(window);
    if (bgr == nullptr || target == nullptr || !IsWindowVisible(window) ||
        !GetClientSize(window, width, height))
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    if (width <= 0 || height <= 0 || size / rowBytes < static_cast<size_t>(height))
        return false;
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    if (backend.IsX11())
        return backend.ReadNative(target->display->native, bgr, width, height);
    std::memset(bgr, 0, rowBytes * static_cast<size_t>(height));
    Compose(window, *target->display, bgr, rowBytes, 0, 0, {0, 0, width, height});
    return true;
}

bool BlitToWindow(Hwnd window, int32_t x, int32_t y, int32_t w, int32_t h, const Surface& source, int32_t sx,
                  int32_t sy, bool flip)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr || !IsOwnDisplayWindow(*target))
        return false;
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    RefreshClientSize(backend, *target);
    DisplayState& state = *target->display;
    if (state.client == nullptr)
        return true;
    Rect changed;
    if (!BlitSurface(*state.client, x, y, w, h, source, sx, sy, flip, &changed))
        return false;
    if (changed.left < changed.right && changed.top < changed.bottom)
        backend.Present(state, changed);
    return true;
}

void RemoveScreenSide(Window& window)
{
    DisplayBackend& backend = Backend();
    std::lock_guard lock(DisplayLock());
    if (window.kind != WindowKind::Foreign)
        backend.DestroyNative(*window.display);
    window.display->visible = false;
    window.display->client.reset();
}

void DeliverCloseRequest(Hwnd window)
{
    const std::shared_ptr<Window> target = FindWindow(window);
    if (target == nullptr)
        return;
    if (target->procedure != nullptr)
        target->procedure(window, kWmClose, 0, 0);
    else
        PostMessage(window, kWmClose, 0, 0);
}

}  // namespace quelix::platform
