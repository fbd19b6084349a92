// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/shared_memory/shared_memory.h"

namespace quelix::platform {

namespace {

// Maps `size` bytes of the section (0: all of it); closes the handle when
// that fails.
uint8_t* MapView(HANDLE mapping, size_t size)
{
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (view == nullptr)
        CloseHandle(mapping);
    return static_cast<uint8_t*>(view);
}

}  // namespace

std::string SharedMemoryObjectName(std::string_view name)
{
    // A session's named objects are its user's: the name needs no user part.
    if (const char* override = std::getenv("QUELIX_SHM_NAME"); override != nullptr && *override != '\0')
        return override;
    return std::string(name);
}

SharedMemory::~SharedMemory()
{
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
}

std::unique_ptr<SharedMemory> SharedMemory::OpenExisting(std::string_view name)
{
    HANDLE mapping =
        OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, SharedMemoryObjectName(name).c_str());
    if (mapping == nullptr)
        return nullptr;
    uint8_t* view = MapView(mapping, 0);
    if (view == nullptr)
        return nullptr;
    // The section's size is the size of its view, rounded to pages.
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(view, &region, sizeof region) == 0 || region.RegionSize == 0) {
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        return nullptr;
    }
    return std::unique_ptr<SharedMemory>(new SharedMemory(view, region.RegionSize, mapping));
}

std::unique_ptr<SharedMemory> SharedMemory::OpenOrCreate(std::string_view name, size_t size, bool& created)
{
    created = false;
    if (size == 0)
        return nullptr;
    const uint64_t wanted = size;
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(wanted >> 32),
                           static_cast<DWORD>(wanted), SharedMemoryObjectName(name).c_str());
    if (mapping == nullptr)
        return nullptr;
    created = GetLastError() != ERROR_ALREADY_EXISTS;
    // A section cannot grow: an existing smaller one fails to map at `size`.
    uint8_t* view = MapView(mapping, size);
    if (view == nullptr)
        return nullptr;
    return std::unique_ptr<SharedMemory>(new SharedMemory(view, size, mapping));
}

}  // namespace quelix::platform
