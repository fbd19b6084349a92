// The application-facing functions of QuelixPlatform.h. Nothing is thrown
// across the C interface: any failure inside becomes the failure result.
#include "QuelixPlatform.h"

#include "platform/window_table.h"

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

}  // extern "C"
