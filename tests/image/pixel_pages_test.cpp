// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "platform/os/pixel_pages.h"

namespace quelix::platform {
namespace {

size_t Page()
{
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

TEST(PixelPages, AreZeroedPageAlignedAndRefuseNothingToHold)
{
    for (const size_t bytes : {size_t{1}, size_t{4}, Page() - 1, Page(), Page() + 1, 655360 + size_t{12}}) {
        PixelPages pixels(MapPixelPages(bytes), PixelPagesDeleter{bytes});
        ASSERT_NE(pixels, nullptr) << bytes;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pixels.get()) % Page(), 0u) << bytes;
        EXPECT_TRUE(std::all_of(pixels.get(), pixels.get() + bytes, [](uint8_t b) { return b == 0; }))
            << bytes;
        std::fill(pixels.get(), pixels.get() + bytes, uint8_t{0xFF});
    }
    EXPECT_EQ(MapPixelPages(0), nullptr);
    EXPECT_EQ(MapPixelPages(SIZE_MAX), nullptr);
    UnmapPixelPages(nullptr, 100);
}

// A kernel that runs off its image must stop there, not write into the next
// one: the pages on both sides are never accessible.
TEST(PixelPagesDeathTest, ABytePastEitherEndFaults)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const size_t bytes = 2 * Page();
    PixelPages pixels(MapPixelPages(bytes), PixelPagesDeleter{bytes});
    ASSERT_NE(pixels, nullptr);
    volatile uint8_t* const first = pixels.get();
    EXPECT_DEATH(first[bytes] = 1, "");
    EXPECT_DEATH(first[-1] = 1, "");
}
}  // namespace
}  // namespace quelix::platform
