// SPDX-License-Identifier: MIT
// Opaque handles to objects of the library (windows, device contexts): a
// handle is a number in a table, never a pointer, so a stale or foreign
// handle is refused on lookup instead of dereferenced; values grow and are
// never reused.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace quelix::platform {

template <class Object>
struct OpaqueHandleTable {
    explicit OpaqueHandleTable(uintptr_t firstHandle) : lastHandle(firstHandle) {}

    // Files the object; the handle value to hand out.
    uintptr_t Add(std::shared_ptr<Object> object)
    {
        std::lock_guard lock(mutex);
        lastHandle += 0x10;
        objects.emplace(lastHandle, std::move(object));
        return lastHandle;
    }

    std::shared_ptr<Object> Find(uintptr_t handle)
    {
        std::lock_guard lock(mutex);
        const auto found = objects.find(handle);
        return found == objects.end() ? nullptr : found->second;
    }

    std::mutex mutex;  // guards both fields below
    std::unordered_map<uintptr_t, std::shared_ptr<Object>> objects;
    uintptr_t lastHandle;
};

}  // namespace quelix::platform
