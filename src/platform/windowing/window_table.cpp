// SPDX-License-Identifier: MIT
#include "platform/windowing/window_table.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "platform/os/clock.h"
#include "platform/windowing/display_window.h"
#include "platform/windowing/opaque_handles.h"

namespace quelix::platform {

namespace {

using WindowTable = OpaqueHandleTable<Window>;

WindowTable& Table()
{
    static WindowTable table(0x10000);
    return table;
}

uintptr_t Key(Hwnd handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}

}  // namespace

Window::Window(WindowKind windowKind) : kind(windowKind) {}

Window::~Window() = default;

Hwnd AddWindow(std::shared_ptr<Window> window)
{
    if (window == nullptr || !window->queue.Valid())
        return nullptr;
    return reinterpret_cast<Hwnd>(Table().Add(std::move(window)));
}

std::shared_ptr<Window> FindWindow(Hwnd handle)
{
    return Table().Find(Key(handle));
}

bool DestroyWindow(Hwnd handle)
{
    // Parents come before their children in `removed`.
    std::vector<std::shared_ptr<Window>> removed;
    {
        WindowTable& table = Table();
        std::lock_guard lock(table.mutex);
        const auto found = table.objects.find(Key(handle));
        if (found == table.objects.end())
            return false;
        std::unordered_set<uintptr_t> doomed{Key(handle)};
        removed.push_back(std::move(found->second));
        table.objects.erase(found);
        for (bool grew = true; grew;) {
            grew = false;
            for (auto it = table.objects.begin(); it != table.objects.end();) {
                if (doomed.count(Key(it->second->parent)) != 0) {
                    doomed.insert(it->first);
                    removed.push_back(std::move(it->second));
                    it = table.objects.erase(it);
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
        for (const auto& [key, window] : table.objects) {
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
    return std::any_of(table.objects.begin(), table.objects.end(),
                       [className](const auto& entry) { return entry.second->className == className; });
}

Hwnd CreateMessageWindow()
{
    return AddWindow(std::make_shared<Window>(WindowKind::Message));
}

bool PostMessage(Hwnd handle, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const std::shared_ptr<Window> window = FindWindow(handle);
    return window != nullptr && window->queue.Post({handle, message, wParam, lParam, TickCount()});
}

}  // namespace quelix::platform
