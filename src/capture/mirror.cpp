#include "capture/mirror.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quelix {

namespace {

template <int Bytes>
struct Pixel {
    uint8_t bytes[Bytes];
};

// Reverses the `count` pixels of one row.
template <int Bytes>
void ReverseRow(uint8_t* row, int32_t count)
{
    static_assert(sizeof(Pixel<Bytes>) == Bytes);
    auto* pixels = reinterpret_cast<Pixel<Bytes>*>(row);
    std::reverse(pixels, pixels + count);
}

// Exchanges the `count` pixels of row a with those of row b, reversing both
// when `reverse` is set.
template <int Bytes>
void ExchangeRows(uint8_t* a, uint8_t* b, int32_t count, bool reverse)
{
    auto* first = reinterpret_cast<Pixel<Bytes>*>(a);
    auto* second = reinterpret_cast<Pixel<Bytes>*>(b);
    if (reverse) {
        for (int32_t j = 0; j < count; ++j)
            std::swap(first[j], second[count - 1 - j]);
    } else {
        std::swap_ranges(first, first + count, second);
    }
}

template <int Bytes>
void Mirror(CDibImage& image, bool horizontal, bool vertical)
{
    const int32_t rows = image.height;
    const int32_t columns = image.width;
    const auto row = [&](int32_t i) { return image.pBits + static_cast<ptrdiff_t>(i) * image.stride; };
    if (!vertical) {
        for (int32_t i = 0; i < rows; ++i)
            ReverseRow<Bytes>(row(i), columns);
        return;
    }
    for (int32_t i = 0; i < rows / 2; ++i)
        ExchangeRows<Bytes>(row(i), row(rows - 1 - i), columns, horizontal);
    if (horizontal && rows % 2 == 1)
        ReverseRow<Bytes>(row(rows / 2), columns);
}

}  // namespace

void MirrorImage(CDibImage& image, bool horizontal, bool vertical)
{
    if (image.pBits == nullptr || (!horizontal && !vertical))
        return;
    if (image.bitCount == 8)
        Mirror<1>(image, horizontal, vertical);
    else if (image.bitCount == 16)
        Mirror<2>(image, horizontal, vertical);
}

}  // namespace quelix
