// SPDX-License-Identifier: MIT
#include "platform/os/pixel_pages.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

namespace quelix::platform {

namespace {

size_t PageSize()
{
    static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

// The pages that hold `bytes`, without the two guard pages.
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
    // Reserved inaccessible, then the pixel pages opened between the guards.
    void* reserved =
        mmap(nullptr, span + 2 * page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED)
        return nullptr;
    auto* pixels = static_cast<uint8_t*>(reserved) + page;
    if (mprotect(pixels, span, PROT_READ | PROT_WRITE) != 0) {
        munmap(reserved, span + 2 * page);
        return nullptr;
    }
    ASAN_POISON_MEMORY_REGION(pixels + bytes, span - bytes);
    return pixels;
}

void UnmapPixelPages(uint8_t* pixels, size_t bytes)
{
    if (pixels == nullptr)
        return;
    const size_t page = PageSize();
    const size_t span = PixelSpan(bytes);
    // The shadow of the poisoned tail would outlive the pages otherwise.
    ASAN_UNPOISON_MEMORY_REGION(pixels + bytes, span - bytes);
    munmap(pixels - page, span + 2 * page);
}

}  // namespace quelix::platform
