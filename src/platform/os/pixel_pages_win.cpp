// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/os/pixel_pages.h"

namespace quelix::platform {

namespace {

size_t PageSize()
{
    static const size_t size = [] {
        SYSTEM_INFO info{};
        GetSystemInfo(&info);
        return static_cast<size_t>(info.dwPageSize);
    }();
    return size;
}

size_t PixelSpan(size_t bytes)
{
    const size_t page = PageSize();
    return (bytes + page - 1) / page * page;
}

}  // namespace

uint8_t* MapPixelPages(size_t bytes)
{
    const size_t page = PageSize();
    if (bytes == 0 || bytes > SIZE_MAX / 2)
        return nullptr;
    const size_t span = PixelSpan(bytes);
    // Reserved, then only the pixel pages committed: the guard page before
    // and after stay inaccessible.
    void* reserved = VirtualAlloc(nullptr, span + 2 * page, MEM_RESERVE, PAGE_NOACCESS);
    if (reserved == nullptr)
        return nullptr;
    auto* pixels = static_cast<uint8_t*>(reserved) + page;
    if (VirtualAlloc(pixels, span, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        VirtualFree(reserved, 0, MEM_RELEASE);
        return nullptr;
    }
    return pixels;
}

void UnmapPixelPages(uint8_t* pixels, size_t)
{
    if (pixels != nullptr)
        VirtualFree(pixels - PageSize(), 0, MEM_RELEASE);
}

}  // namespace quelix::platform
