#include "platform/window_table.h"

#include <mutex>
#include <unordered_map>

#include "platform/clock.h"

namespace quelix::platform {

namespace {

struct WindowTable {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    uintptr_t lastHandle = 0x10000;
};

WindowTable& Table()
{
    static WindowTable table;
    return table;
}

}  // namespace

Hwnd AddWindow(std::shared_ptr<Window> window)
{
    if (window == nullptr || !window->queue.Valid())
        return nullptr;
    WindowTable& table = Table();
    std::lock_guard lock(table.mutex);
    table.lastHandle += 0x10;
    table.windows.emplace(table.lastHandle, std::move(window));
    return reinterpret_cast<Hwnd>(table.lastHandle);
}

std::shared_ptr<Window> FindWindow(Hwnd handle)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto found = table.windows.find(reinterpret_cast<uintptr_t>(handle));
    return found == table.windows.end() ? nullptr : found->second;
}

bool DestroyWindow(Hwnd handle)
{
    std::shared_ptr<Window> window;
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto found = table.windows.find(reinterpret_cast<uintptr_t>(handle));
        if (found == table.windows.end())
            return false;
        window = std::move(found->second);
        table.windows.erase(found);
    }
    window->queue.Close();
    return true;
}

Hwnd CreateMessageWindow() { return AddWindow(std::make_shared<Window>(WindowKind::Message)); }

bool PostMessage(Hwnd handle, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const std::shared_ptr<Window> window = FindWindow(handle);
    return window != nullptr && window->queue.Post({handle, message, wParam, lParam, TickCount()});
}

}  // namespace quelix::platform
