// SPDX-License-Identifier: MIT
#include "platform/windowing/window_class.h"

#include <map>
#include <mutex>
#include <string>

namespace quelix::platform {

namespace {

struct ClassTable {
    std::mutex mutex;
    std::map<std::string, WindowProc, std::less<>> classes;
};

ClassTable& Classes()
{
    static ClassTable table;
    return table;
}

}  // namespace

bool RegisterWindowClass(std::string_view name, WindowProc procedure)
{
    if (name.empty() || procedure == nullptr)
        return false;
    ClassTable& table = Classes();
    std::lock_guard lock(table.mutex);
    return table.classes.emplace(std::string(name), procedure).second;
}

bool UnregisterWindowClass(std::string_view name)
{
    if (AnyWindowOfClass(name))
        return false;
    ClassTable& table = Classes();
    std::lock_guard lock(table.mutex);
    const auto found = table.classes.find(name);
    if (found == table.classes.end())
        return false;
    table.classes.erase(found);
    return true;
}

WindowProc FindWindowClass(std::string_view name)
{
    ClassTable& table = Classes();
    std::lock_guard lock(table.mutex);
    const auto found = table.classes.find(name);
    return found == table.classes.end() ? nullptr : found->second;
}

intptr_t DefWindowProc(Hwnd window, uint32_t message, uintptr_t, intptr_t)
{
    if (message == kWmClose)
        DestroyWindow(window);
    return 0;
}

}  // namespace quelix::platform
