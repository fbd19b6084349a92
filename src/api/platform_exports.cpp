// SPDX-License-Identifier: MIT
// The application-facing functions of QuelixPlatform.h. Nothing is thrown
// across the C interface: any failure inside becomes the failure result.
#include "QuelixPlatform.h"

#include <algorithm>

#include "platform/windowing/display_window.h"
#include "platform/windowing/window_table.h"

using namespace quelix::platform;

extern "C" {

QUELIX_HWND QuelixPlatform_CreateMessageWindow(void)
{
    try {
        return CreateMessageWindow();
    } catch (...) {
        return nullptr;
    }
}

int QuelixPlatform_DestroyWindow(QUELIX_HWND window)
{
    try {
        return DestroyWindow(window) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_PostMessage(QUELIX_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    try {
        return PostMessage(window, message, wParam, lParam) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_GetMessage(QUELIX_HWND window, QUELIX_MSG* msg, int timeoutMs)
{
    try {
        const std::shared_ptr<Window> target = FindWindow(window);
        QUELIX_MSG got{};
        if (msg == nullptr || target == nullptr || !target->queue.Get(got, timeoutMs))
            return 0;
        *msg = got;
        return 1;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_PeekMessage(QUELIX_HWND window, QUELIX_MSG* msg)
{
    try {
        const std::shared_ptr<Window> target = FindWindow(window);
        QUELIX_MSG got{};
        if (msg == nullptr || target == nullptr || !target->queue.Peek(got))
            return 0;
        *msg = got;
        return 1;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_MessageFd(QUELIX_HWND window)
{
    try {
        const std::shared_ptr<Window> target = FindWindow(window);
        return target == nullptr ? -1 : target->queue.Fd();
    } catch (...) {
        return -1;
    }
}

QUELIX_HWND QuelixPlatform_CreateWindow(const char* title, int clientWidth, int clientHeight)
{
    try {
        if (clientWidth <= 0 || clientHeight <= 0)
            return nullptr;
        int32_t screenWidth = 0;
        int32_t screenHeight = 0;
        GetScreenSize(screenWidth, screenHeight);
        DisplayWindowParams params;
        params.caption = title != nullptr ? title : "";
        params.x = std::max(0, (screenWidth - clientWidth) / 2);
        params.y = std::max(0, (screenHeight - clientHeight) / 2);
        params.width = clientWidth;
        params.height = clientHeight;
        return CreateDisplayWindow(params);
    } catch (...) {
        return nullptr;
    }
}

QUELIX_HWND QuelixPlatform_WrapX11Window(void* display, unsigned long window)
{
    try {
        return WrapX11Window(display, window);
    } catch (...) {
        return nullptr;
    }
}

int QuelixPlatform_GetClientSize(QUELIX_HWND window, int* width, int* height)
{
    try {
        int32_t w = 0;
        int32_t h = 0;
        if (width == nullptr || height == nullptr || !GetClientSize(window, w, h))
            return 0;
        *width = w;
        *height = h;
        return 1;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_ShowWindow(QUELIX_HWND window, int show)
{
    try {
        return ShowWindow(window, show != 0) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_IsWindowVisible(QUELIX_HWND window)
{
    try {
        return IsWindowVisible(window) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_ReadClientPixels(QUELIX_HWND window, uint8_t* bgr, int size)
{
    try {
        return size > 0 && ReadClientPixels(window, bgr, static_cast<size_t>(size)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
