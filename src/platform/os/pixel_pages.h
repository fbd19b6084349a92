// SPDX-License-Identifier: MIT
// The memory of image pixels: whole pages mapped for one buffer, as the
// memory of a DIB section is. A buffer given back returns its pages to the
// system at once, so images made and dropped by the hundred (a recording's
// frame queue, a save's conversions, a colour-mode change) leave no memory
// behind in the allocator's free lists.
//
// The pixels start on a page boundary, after a page that is never
// accessible, and one inaccessible page follows the last page; under
// AddressSanitizer the rest of the last page is poisoned as well. A kernel
// that runs before or past its image faults at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace quelix::platform {

// `bytes` zero bytes; null when no memory is left.
uint8_t* MapPixelPages(size_t bytes);
// Gives back what MapPixelPages(bytes) returned.
void UnmapPixelPages(uint8_t* pixels, size_t bytes);

struct PixelPagesDeleter {
    size_t bytes = 0;
    void operator()(uint8_t* pixels) const { UnmapPixelPages(pixels, bytes); }
};
using PixelPages = std::unique_ptr<uint8_t[], PixelPagesDeleter>;

}  // namespace quelix::platform
