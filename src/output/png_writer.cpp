// SPDX-License-Identifier: MIT
// PNG files through libpng, written through COutputFile. All encoder state
// lives in the call, so saves on several threads run side by side. A libpng
// error (a failed write among them) unwinds to the recovery point in
// EncodePng, which is a plain function holding no C++ objects, and the
// staged file is dropped.
#include <png.h>

#include <cstdio>
#include <vector>

#include "output/image_files.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

struct PngLayout {
    int bitDepth;
    int colorType;
};

bool LayoutFor(int bitCount, PngLayout& layout)
{
    switch (bitCount) {
        case 8:
            layout = {8, PNG_COLOR_TYPE_GRAY};
            return true;
        case 16:
            layout = {16, PNG_COLOR_TYPE_GRAY};
            return true;
        case 24:
            layout = {8, PNG_COLOR_TYPE_RGB};
            return true;
        case 32:
            layout = {8, PNG_COLOR_TYPE_RGB_ALPHA};
            return true;
        case 48:
            layout = {16, PNG_COLOR_TYPE_RGB};
            return true;
        case 64:
            layout = {16, PNG_COLOR_TYPE_RGB_ALPHA};
            return true;
        default:
            return false;
    }
}

void OnPngError(png_structp png, png_const_charp message)
{
    std::fprintf(stderr, "libpng error: %s\n", message);
    png_longjmp(png, 1);
}

void WritePngData(png_structp png, png_bytep data, size_t length)
{
    auto* file = static_cast<COutputFile*>(png_get_io_ptr(png));
    if (!file->Write(data, length))
        png_error(png, "cannot write the file");
}

void FlushPngData(png_structp) {}

int EncodePng(png_structp png, png_infop info, COutputFile* file, png_uint_32 width, png_uint_32 height,
              PngLayout layout, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return 0;
    png_set_write_fn(png, file, WritePngData, FlushPngData);
    png_set_IHDR(png, info, width, height, layout.bitDepth, layout.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    // 16-bit samples lie in memory little-endian; PNG stores them
    // most significant byte first.
    if (layout.bitDepth == 16)
        png_set_swap(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return 1;
}

}  // namespace

int WritePng(const std::string& fileName, const uint8_t* pixels, int32_t width, int32_t height, int bitCount)
{
    PngLayout layout{};
    if (pixels == nullptr || width <= 0 || height <= 0 || !LayoutFor(bitCount, layout) ||
        platform::DibStride(width, bitCount) < 0)
        return 0;
    const size_t stride = static_cast<size_t>(platform::DibStride(width, bitCount));
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = const_cast<png_bytep>(pixels + i * stride);  // libpng copies each row before changing it

    COutputFile file;
    if (!file.OpenForWrite(fileName))
        return 0;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, nullptr);
    if (png == nullptr)
        return 0;
    png_infop info = png_create_info_struct(png);
    const int encoded = info != nullptr && EncodePng(png, info, &file, static_cast<png_uint_32>(width),
                                                     static_cast<png_uint_32>(height), layout, rows.data());
    png_destroy_write_struct(&png, &info);
    return encoded && file.Commit() ? 1 : 0;
}

}  // namespace quelix
