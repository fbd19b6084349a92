#include "platform/window_table.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "platform/clock.h"
#include "platform/display_window.h"

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

uintptr_t Key(Hwnd handle) { return reinterpret_cast<uintptr_t>(handle); }

}  // namespace

Window::Window(WindowKind windowKind) : kind(windowKind) {}

Window::~Window() = default;

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
    const auto found = table.windows.find(Key(handle));
    return found == table.windows.end() ? nullptr : found->second;
}

bool DestroyWindow(Hwnd handle)
{
    // Parents come before their children in `removed`.
    std::vector<std::shared_ptr<Window>> removed;
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto found = table.windows.find(Key(handle));
        if (found == table.windows.end())
            return false;
        std::unordered_set<uintptr_t> doomed{Key(handle)};
        removed.push_back(std::move(found->second));
        table.windows.erase(found);
        for (bool grew = true; grew;) {
            grew = false;
            for (auto it = table.windows.begin(); it != table.windows.end();) {
                if (doomed.count(Key(it->second->parent)) != 0) {
                    doomed.insert(it->first);
                    removed.push_back(std::move(it->second));
                    it = table.windows.erase(it);
                    grew = true;
                } else {
                    ++it;
                }
            }
        }
    }
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
        (*it)->queue.Close();
        if ((*it)->display != nullptr)
            RemoveScreenSide(**it);
    }
    return true;
}

std::vector<std::pair<Hwnd, std::shared_ptr<Window>>> ChildWindows(Hwnd parent)
{
    std::vector<std::pair<Hwnd, std::shared_ptr<Window>>> children;
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.mutex);
        for (const auto& [key, window] : table.windows) {
            if (window->parent == parent)
                children.emplace_back(reinterpret_cast<Hwnd>(key), window);
        }
    }
    std::sort(children.begin(), children.end(),
              [](const auto& a, const auto& b) { return Key(a.first) < Key(b.first); });
    return children;
}

bool AnyWindowOfClass(std::string_view className)
{
    WindowTable& table = Table();
    std::lock_guard lock(table.mutex);
    return std::any_of(table.windows.begin(), table.windows.end(),
                       [className](const auto& entry) { return entry.second->className == className; });
}

Hwnd CreateMessageWindow() { return AddWindow(std::make_shared<Window>(WindowKind::Message)); }

bool PostMessage(Hwnd handle, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const std::shared_ptr<Window> window = FindWindow(handle);
    return window != nullptr && window->queue.Post({handle, message, wParam, lParam, TickCount()});
}

}  // namespace quelix::platform
