// SPDX-License-Identifier: MIT
#include "image_readers.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

namespace quelix::test {

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

std::vector<uint8_t> ReadBinaryFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<PngFile> ReadPng(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngFile result;
    std::vector<uint8_t> bytes;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    DecodedImage& image = result.image;
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.channels = png_get_channels(png, info);
    image.bitDepth = png_get_bit_depth(png, info);
    result.colorType = png_get_color_type(png, info);
    result.interlace = png_get_interlace_type(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    bytes.resize(rowBytes * image.height);
    rows.resize(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = bytes.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    // 16-bit samples as stored: most significant byte first.
    const size_t count = static_cast<size_t>(image.width) * image.height * image.channels;
    image.samples.resize(count);
    for (size_t i = 0; i < count; ++i)
        image.samples[i] =
            image.bitDepth == 16 ? static_cast<uint16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]) : bytes[i];
    return result;
}

namespace {

struct JpegReadErrors {
    jpeg_error_mgr manager;
    std::jmp_buf recovery;
};

void OnReadError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegReadErrors*>(info->err)->recovery, 1);
}

}  // namespace

std::optional<JpegFile> ReadJpeg(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return std::nullopt;
    jpeg_decompress_struct info{};
    JpegReadErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnReadError;
    JpegFile result;
    std::vector<uint8_t> row;
    if (setjmp(errors.recovery)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file.get());
    jpeg_read_header(&info, TRUE);
    result.progressive = info.progressive_mode != 0;
    if (info.quant_tbl_ptrs[0] != nullptr)
        result.lumaTable.assign(info.quant_tbl_ptrs[0]->quantval,
                                info.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
    jpeg_start_decompress(&info);
    DecodedImage& image = result.image;
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.channels = info.output_components;
    image.bitDepth = 8;
    row.resize(static_cast<size_t>(image.width) * image.channels);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rowPointer = row.data();
        jpeg_read_scanlines(&info, &rowPointer, 1);
        image.samples.insert(image.samples.end(), row.begin(), row.end());
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return result;
}

std::vector<uint16_t> LumaTableForQuality(int quality)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    info.in_color_space = JCS_RGB;
    info.input_components = 3;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    std::vector<uint16_t> table(info.quant_tbl_ptrs[0]->quantval,
                                info.quant_tbl_ptrs[0]->quantval + DCTSIZE2);
    jpeg_destroy_compress(&info);
    return table;
}

std::optional<TiffFile> ReadTiff(const std::string& path)
{
    // "c": the strips as stored, not chopped into smaller ones for reading.
    TIFF* tiff = TIFFOpen(path.c_str(), "rc");
    if (tiff == nullptr)
        return std::nullopt;
    TiffFile result;
    DecodedImage& image = result.image;
    uint32_t width = 0, height = 0;
    uint16_t bits = 0, samples = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &result.photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &result.compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &result.planarConfig);
    uint16_t extraCount = 0;
    uint16_t* extra = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extra != nullptr)
        result.extraSamples.assign(extra, extra + extraCount);
    result.strips = TIFFNumberOfStrips(tiff);
    uint64_t* stripBytes = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_STRIPBYTECOUNTS, &stripBytes) && stripBytes != nullptr)
        result.firstStripBytes = stripBytes[0];
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.channels = samples;
    image.bitDepth = bits;
    std::vector<uint8_t> bytes(static_cast<size_t>(TIFFStripSize(tiff)) * result.strips);
    size_t offset = 0;
    for (uint32_t strip = 0; strip < result.strips; ++strip) {
        const tmsize_t read = TIFFReadEncodedStrip(tiff, strip, bytes.data() + offset, -1);
        if (read < 0) {
            TIFFClose(tiff);
            return std::nullopt;
        }
        offset += static_cast<size_t>(read);
    }
    TIFFClose(tiff);
    // libtiff hands 16-bit samples over in the host's byte order.
    const size_t count = static_cast<size_t>(width) * height * samples;
    if (offset * 8 < count * bits)
        return std::nullopt;
    image.samples.resize(count);
    for (size_t i = 0; i < count; ++i)
        image.samples[i] = bits == 16 ? reinterpret_cast<const uint16_t*>(bytes.data())[i] : bytes[i];
    return result;
}

}  // namespace quelix::test
