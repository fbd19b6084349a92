// SPDX-License-Identifier: MIT
// Repair of defective pixels: a pixel is marked when the hot-pixel or the
// dead-pixel map names it, or when it differs from the mean of its four
// direct neighbours by at least the threshold; each marked pixel then takes
// the mean of the nearest unmarked pixel in each of the four directions.
// Only unmarked pixels are read as replacements and they never change, so
// the order of the repairs does not matter. Border rows and columns are
// never marked or changed.
#include <cstring>

#include "pipeline/defect_repair.h"

#include "image/dib_image.h"
#include "image/instruction_sets.h"

namespace quelix {

namespace {

template <class Sample>
Sample Get(const uint8_t* row, int32_t column)
{
    Sample value;
    std::memcpy(&value, row + static_cast<ptrdiff_t>(column) * sizeof(Sample), sizeof value);
    return value;
}

template <class Sample>
void Put(uint8_t* row, int32_t column, Sample value)
{
    std::memcpy(row + static_cast<ptrdiff_t>(column) * sizeof(Sample), &value, sizeof value);
}

template <class Sample>
bool HasDepthAndCovers(const CDibImage* image, int64_t columns, int64_t rows)
{
    return image != nullptr && image->pBits != nullptr && image->bitCount == sizeof(Sample) * 8 &&
           image->width >= columns && image->height >= rows;
}

// The maps are read at the sensor position of each work pixel: the work
// image is the delivered capture window at (offsetX, offsetY) of the sensor.
// Maps that do not cover the window count as naming no pixel; the right and
// bottom edges are summed in 64 bits, so no offset wraps into the maps.
template <class Sample>
struct DefectMaps {
    const CDibImage* hot;
    const CDibImage* dead;
    int32_t offsetX;
    int32_t offsetY;

    bool Cover(int32_t columns, int32_t rows) const
    {
        const int64_t right = int64_t{offsetX} + columns;
        const int64_t bottom = int64_t{offsetY} + rows;
        return offsetX >= 0 && offsetY >= 0 && HasDepthAndCovers<Sample>(hot, right, bottom) &&
               HasDepthAndCovers<Sample>(dead, right, bottom);
    }
    const uint8_t* Row(const CDibImage* map, int32_t i) const
    {
        return map->pBits + static_cast<ptrdiff_t>(offsetY + i) * map->stride +
               static_cast<ptrdiff_t>(offsetX) * sizeof(Sample);
    }
};

// Marks the interior pixels of one row (1 ... count - 2; the two ends are
// never marked) from the rows above and below; returns how many it marked.
// `hot` and `dead` are the maps' rows (UseMaps) or unused.
template <class Sample, bool UseMaps>
inline int32_t MarkRow(const uint8_t* up, const uint8_t* row, const uint8_t* down, const uint8_t* hot,
                       const uint8_t* dead, uint8_t* marks, int32_t count, int32_t threshold)
{
    int32_t marked = 0;
    Put<Sample>(marks, 0, 0);
    for (int32_t j = 1; j < count - 1; ++j) {
        const int32_t x = Get<Sample>(row, j);
        const int32_t mean = (int32_t{Get<Sample>(row, j - 1)} + Get<Sample>(row, j + 1) +
                              Get<Sample>(up, j) + Get<Sample>(down, j)) >>
                             2;
        const int32_t difference = x > mean ? x - mean : mean - x;
        int32_t mark = difference >= threshold ? 1 : 0;
        if constexpr (UseMaps)
            mark |= (Get<Sample>(hot, j) | Get<Sample>(dead, j)) != 0 ? 1 : 0;
        Put<Sample>(marks, j, static_cast<Sample>(mark));
        marked += mark;
    }
    Put<Sample>(marks, count - 1, 0);
    return marked;
}

// Marks rows 1 ... rows - 2 of the image; rows 0 and rows - 1 of the marks
// are cleared. Returns how many pixels it marked.
template <class Sample, bool UseMaps>
inline int32_t MarkImage(const uint8_t* pixels, int32_t stride, const uint8_t* hot, int32_t hotStride,
                         const uint8_t* dead, int32_t deadStride, uint8_t* marks, int32_t marksStride,
                         int32_t rows, int32_t columns, int32_t threshold)
{
    const auto bytes = static_cast<size_t>(columns) * sizeof(Sample);
    std::memset(marks, 0, bytes);
    std::memset(marks + static_cast<ptrdiff_t>(rows - 1) * marksStride, 0, bytes);
    int32_t marked = 0;
    for (int32_t i = 1; i < rows - 1; ++i) {
        const uint8_t* row = pixels + static_cast<ptrdiff_t>(i) * stride;
        marked += MarkRow<Sample, UseMaps>(
            row - stride, row, row + stride, UseMaps ? hot + static_cast<ptrdiff_t>(i) * hotStride : nullptr,
            UseMaps ? dead + static_cast<ptrdiff_t>(i) * deadStride : nullptr,
            marks + static_cast<ptrdiff_t>(i) * marksStride, columns, threshold);
    }
    return marked;
}

// Replaces marked pixel (i, j) by the mean of the nearest unmarked pixel in
// each of the four directions; it stays when there is none.
template <class Sample, class MarkedFn>
void Repair(CDibImage& image, int32_t i, int32_t j, MarkedFn isMarked)
{
    const auto imageRow = [&](int32_t r) { return image.pBits + static_cast<ptrdiff_t>(r) * image.stride; };
    int32_t found = 0;
    int64_t sum = 0;
    const auto take = [&](int32_t r, int32_t c) {
        sum += Get<Sample>(imageRow(r), c);
        ++found;
    };
    for (int32_t c = j - 1; c >= 0; --c) {
        if (!isMarked(i, c)) {
            take(i, c);
            break;
        }
    }
    for (int32_t c = j + 1; c < image.width; ++c) {
        if (!isMarked(i, c)) {
            take(i, c);
            break;
        }
    }
    for (int32_t r = i - 1; r >= 0; --r) {
        if (!isMarked(r, j)) {
            take(r, j);
            break;
        }
    }
    for (int32_t r = i + 1; r < image.height; ++r) {
        if (!isMarked(r, j)) {
            take(r, j);
            break;
        }
    }
    if (found > 0)
        Put<Sample>(imageRow(i), j, static_cast<Sample>(sum / found));
}

template <class Sample>
int32_t RepairDefects(CDibImage* image, const DefectMaps<Sample>& maps, CDibImage* marksImage,
                      int32_t threshold)
{
    if (image == nullptr || image->pBits == nullptr)
        return 0;
    const int32_t rows = image->height;
    const int32_t columns = image->width;
    // Only pixels with neighbours on all four sides can be marked.
    if (image->bitCount != sizeof(Sample) * 8 || !HasDepthAndCovers<Sample>(marksImage, columns, rows) ||
        rows < 3 || columns < 3)
        return 1;
    const auto marksRow = [&](int32_t i) {
        return marksImage->pBits + static_cast<ptrdiff_t>(i) * marksImage->stride;
    };
    int32_t marked = 0;
    if (maps.Cover(columns, rows)) {
        RunVectorised([&marked, pixels = image->pBits, stride = image->stride, hot = maps.Row(maps.hot, 0),
                       hotStride = maps.hot->stride, dead = maps.Row(maps.dead, 0),
                       deadStride = maps.dead->stride, marks = marksImage->pBits,
                       marksStride = marksImage->stride, rows, columns, threshold] {
            marked = MarkImage<Sample, true>(pixels, stride, hot, hotStride, dead, deadStride, marks,
                                             marksStride, rows, columns, threshold);
        });
    } else {
        RunVectorised([&marked, pixels = image->pBits, stride = image->stride, marks = marksImage->pBits,
                       marksStride = marksImage->stride, rows, columns, threshold] {
            marked = MarkImage<Sample, false>(pixels, stride, nullptr, 0, nullptr, 0, marks, marksStride,
                                              rows, columns, threshold);
        });
    }
    if (marked == 0)
        return 1;
    const auto isMarked = [&](int32_t i, int32_t j) { return Get<Sample>(marksRow(i), j) != 0; };
    // Marks are 0 or 1 in the low byte of each sample, so a byte 1 is a mark.
    const auto interiorBytes = static_cast<size_t>(columns - 2) * sizeof(Sample);
    for (int32_t i = 1; i < rows - 1; ++i) {
        const uint8_t* start = marksRow(i) + sizeof(Sample);
        const uint8_t* end = start + interiorBytes;
        for (const uint8_t* at = start; at < end; ++at) {
            at = static_cast<const uint8_t*>(std::memchr(at, 1, static_cast<size_t>(end - at)));
            if (at == nullptr)
                break;
            Repair<Sample>(*image, i, 1 + static_cast<int32_t>((at - start) / sizeof(Sample)), isMarked);
        }
    }
    return 1;
}

}  // namespace

int RepairDefects8(CDibImage* image, const CDibImage* hot, const CDibImage* dead, int32_t offsetX,
                   int32_t offsetY, CDibImage* marks, int threshold)
{
    return RepairDefects<uint8_t>(image, {hot, dead, offsetX, offsetY}, marks, threshold);
}

int RepairDefects16(CDibImage* image, const CDibImage* hot, const CDibImage* dead, int32_t offsetX,
                    int32_t offsetY, CDibImage* marks, int threshold)
{
    return RepairDefects<uint16_t>(image, {hot, dead, offsetX, offsetY}, marks, threshold);
}

}  // namespace quelix
