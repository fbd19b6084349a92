// SPDX-License-Identifier: MIT
#include "pipeline/mirror.h"

#include <cstring>

#include "image/instruction_sets.h"
#include "pipeline/thread_cache.h"

namespace quelix {

namespace {

struct MirrorRowTag {};

// `count` samples of `from` in reverse order into `to` (another row).
template <class Sample>
inline void ReverseInto(Sample* __restrict to, const Sample* __restrict from, int32_t count)
{
    for (int32_t j = 0; j < count; ++j)
        to[j] = from[count - 1 - j];
}

template <class Sample>
inline void Mirror(uint8_t* pixels, int32_t stride, int32_t rows, int32_t columns, Sample* spare,
                   bool horizontal, bool vertical)
{
    const auto row = [pixels, stride](int32_t i) {
        return reinterpret_cast<Sample*>(pixels + static_cast<ptrdiff_t>(i) * stride);
    };
    const auto bytes = static_cast<size_t>(columns) * sizeof(Sample);
    const auto reverse = [&](int32_t i) {
        std::memcpy(spare, row(i), bytes);
        ReverseInto(row(i), spare, columns);
    };
    if (!vertical) {
        for (int32_t i = 0; i < rows; ++i)
            reverse(i);
        return;
    }
    for (int32_t i = 0; i < rows / 2; ++i) {
        Sample* top = row(i);
        Sample* bottom = row(rows - 1 - i);
        std::memcpy(spare, top, bytes);
        if (horizontal) {
            ReverseInto(top, bottom, columns);
            ReverseInto(bottom, spare, columns);
        } else {
            std::memcpy(top, bottom, bytes);
            std::memcpy(bottom, spare, bytes);
        }
    }
    if (horizontal && rows % 2 == 1)
        reverse(rows / 2);
}

template <class Sample>
void MirrorVectorised(CDibImage& image, bool horizontal, bool vertical)
{
    Sample* spare = ThreadScratch<Sample, MirrorRowTag>(static_cast<size_t>(image.width)).data();
    RunVectorised([pixels = image.pBits, stride = image.stride, rows = image.height, columns = image.width,
                   spare, horizontal,
                   vertical] { Mirror<Sample>(pixels, stride, rows, columns, spare, horizontal, vertical); });
}

}  // namespace

void MirrorImage(CDibImage& image, bool horizontal, bool vertical)
{
    if (image.pBits == nullptr || (!horizontal && !vertical))
        return;
    if (image.bitCount == 8)
        MirrorVectorised<uint8_t>(image, horizontal, vertical);
    else if (image.bitCount == 16)
        MirrorVectorised<uint16_t>(image, horizontal, vertical);
}

}  // namespace quelix
