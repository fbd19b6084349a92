// SPDX-License-Identifier: MIT
// TIFF files through libtiff. The encoder writes into memory (it seeks back
// to patch its header), and the finished file goes out through COutputFile.
// Samples are in the library's native byte order, which the header states.
#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "image/conversion_kernels.h"
#include "output/image_files.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

struct TiffLayout {
    uint16_t bitsPerSample;
    uint16_t photometric;
    uint16_t samplesPerPixel;
    ConvertKernel kernel;  // null: 8-bit rows copied
};

bool LayoutFor(int bitCount, TiffLayout& layout)
{
    switch (bitCount) {
        case 8:
            layout = {8, PHOTOMETRIC_MINISBLACK, 1, nullptr};
            return true;
        case 16:
            layout = {16, PHOTOMETRIC_MINISBLACK, 1, Gray16Shl2};
            return true;
        case 24:
            layout = {8, PHOTOMETRIC_RGB, 3, Bgr24Swap};
            return true;
        case 32:
            layout = {8, PHOTOMETRIC_RGB, 4, Bgr24Swap};
            return true;
        case 48:
            layout = {16, PHOTOMETRIC_RGB, 3, Bgr48Shl2Swap};
            return true;
        case 64:
            layout = {16, PHOTOMETRIC_RGB, 4, Bgra64Shl2Swap};
            return true;
        default:
            return false;
    }
}

// The file as libtiff writes it: a growing block with a position.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    uint64_t position = 0;
};

MemoryFile& FileOf(thandle_t handle)
{
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadMemory(thandle_t handle, void* data, tmsize_t size)
{
    MemoryFile& file = FileOf(handle);
    if (size < 0 || file.position >= file.bytes.size())
        return 0;
    const size_t count =
        std::min(static_cast<size_t>(size), static_cast<size_t>(file.bytes.size() - file.position));
    std::memcpy(data, file.bytes.data() + file.position, count);
    file.position += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t WriteMemory(thandle_t handle, void* data, tmsize_t size)
{
    MemoryFile& file = FileOf(handle);
    if (size < 0)
        return -1;
    const uint64_t end = file.position + static_cast<uint64_t>(size);
    try {
        if (end > file.bytes.size())
            file.bytes.resize(end);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (size > 0)
        std::memcpy(file.bytes.data() + file.position, data, static_cast<size_t>(size));
    file.position = end;
    return size;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile& file = FileOf(handle);
    const auto signedOffset = static_cast<int64_t>(offset);
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<int64_t>(file.position);
    else if (whence == SEEK_END)
        base = static_cast<int64_t>(file.bytes.size());
    if (base + signedOffset < 0)
        return static_cast<toff_t>(-1);
    file.position = static_cast<uint64_t>(base + signedOffset);
    return file.position;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t SizeOfMemory(thandle_t handle)
{
    return FileOf(handle).bytes.size();
}

int MapMemory(thandle_t, void**, toff_t*)
{
    return 0;
}

void UnmapMemory(thandle_t, void*, toff_t) {}

// The picture top row first, rows packed to width x bytes per pixel, in the
// sample order of the layout. A fourth sample of 32-bit pixels stays 0.
std::vector<uint8_t> PackRows(const CDibImage& image, const TiffLayout& layout)
{
    const int32_t bytesPerPixel = image.bitCount / 8;
    const size_t rowBytes = static_cast<size_t>(image.width) * static_cast<size_t>(bytesPerPixel);
    std::vector<uint8_t> packed(rowBytes * static_cast<size_t>(image.height));
    if (layout.kernel == nullptr) {
        for (int32_t row = 0; row < image.height; ++row)
            std::memcpy(packed.data() + row * rowBytes, image.pBits + static_cast<size_t>(row) * image.stride,
                        rowBytes);
    } else {
        const Rect whole{0, 0, image.width, image.height};
        layout.kernel(packed.data(), image.pBits, whole, 0, 0, bytesPerPixel, bytesPerPixel,
                      static_cast<int32_t>(rowBytes), image.stride, nullptr, nullptr);
    }
    return packed;
}

bool Encode(TIFF* tiff, const CDibImage& image, const TiffLayout& layout, std::vector<uint8_t>& strip)
{
    bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width)) &&
              TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height)) &&
              TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, layout.bitsPerSample) &&
              TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, layout.photometric) &&
              TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, layout.samplesPerPixel);
    if (ok && layout.samplesPerPixel == 4) {
        // RGB takes three samples; the fourth must be declared, as data of no
        // stated meaning (it is neither transparency nor colour).
        const uint16_t extra[] = {EXTRASAMPLE_UNSPECIFIED};
        ok = TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    }
    return ok && TIFFWriteEncodedStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size())) >= 0 &&
           TIFFFlush(tiff) == 1;
}

}  // namespace

int WriteTiff(const std::string& fileName, const CDibImage& image)
{
    TiffLayout layout{};
    if (image.pBits == nullptr || !LayoutFor(image.bitCount, layout))
        return 0;
    std::vector<uint8_t> strip = PackRows(image, layout);
    COutputFile file;
    if (!file.OpenForWrite(fileName))
        return 0;
    MemoryFile memory;
    TIFF* tiff = TIFFClientOpen(fileName.c_str(), "w", &memory, ReadMemory, WriteMemory, SeekMemory,
                                CloseMemory, SizeOfMemory, MapMemory, UnmapMemory);
    if (tiff == nullptr)
        return 0;
    const bool encoded = Encode(tiff, image, layout, strip);
    TIFFClose(tiff);
    return encoded && file.Write(memory.bytes.data(), memory.bytes.size()) && file.Commit() ? 1 : 0;
}

}  // namespace quelix
