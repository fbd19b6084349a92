// SPDX-License-Identifier: MIT
// The format dispatcher of image saving and the raw dump. Each format gets
// the image in the layout its writer expects: BMP rows bottom first, JPEG an
// upside-down 8 or 24-bit image, PNG samples widened to 16 bits.
#include "output/image_files.h"

#include "image/conversion_kernels.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

int SaveBmpFile(const std::string& fileName, const CDibImage& image)
{
    CDibImage flipped;
    if (!flipped.CreateLike(&image) || !flipped.Convert(RowCopyFlip, &image, nullptr, 0, 0))
        return 0;
    return flipped.SaveBmp(fileName);
}

// JPEG takes 8-bit gray or 24-bit colour, bottom row first.
int SaveJpegFile(const std::string& fileName, const CDibImage& image, int quality)
{
    ConvertKernel kernel = nullptr;
    int jpegBits = 24;
    switch (image.bitCount) {
        case 8:
            kernel = RowCopyFlip;
            jpegBits = 8;
            break;
        case 16:
            kernel = Gray16To8Shr6Flip;
            jpegBits = 8;
            break;
        case 24:
        case 32:
            kernel = Bgr24CopyFlip;
            break;
        case 48:
        case 64:
            kernel = Bgr48To24Flip;
            break;
        default:
            return 0;
    }
    CDibImage flipped;
    if (!flipped.Create(image.width, image.height, jpegBits) ||
        !flipped.Convert(kernel, &image, nullptr, 0, 0))
        return 0;
    return WriteJpeg(fileName, flipped, quality, 1);
}

// PNG samples are 16 bits wide and its alpha is opacity: 14-bit samples are
// widened, and the unused fourth byte of 32-bit pixels (0) becomes opaque.
int SavePngFile(const std::string& fileName, const CDibImage& image)
{
    ConvertKernel kernel = nullptr;
    switch (image.bitCount) {
        case 16:
            kernel = Gray16Shl2;
            break;
        case 32:
            kernel = Bgra32InvertX;
            break;
        case 48:
            kernel = Bgr48Shl2;
            break;
        case 64:
            kernel = Bgra64Shl2;
            break;
        default:
            return WritePng(fileName, image.pBits, image.width, image.height, image.bitCount);
    }
    CDibImage widened;
    if (!widened.CreateLike(&image) || !widened.Convert(kernel, &image, nullptr, 0, 0))
        return 0;
    return WritePng(fileName, widened.pBits, widened.width, widened.height, widened.bitCount);
}

}  // namespace

int SaveImageFile(const std::string& fileName, const CDibImage* image, int format, int significantBits)
{
    if (image == nullptr || image->pBits == nullptr || significantBits != kSampleBits)
        return 0;
    switch (format) {
        case kImageBmp:
            return SaveBmpFile(fileName, *image);
        case kImageRaw:
            return WriteRaw(fileName, *image);
        case kImageJpeg100:
            return SaveJpegFile(fileName, *image, 100);
        case kImageJpeg70:
            return SaveJpegFile(fileName, *image, 70);
        case kImageJpeg20:
            return SaveJpegFile(fileName, *image, 20);
        case kImagePng:
            return SavePngFile(fileName, *image);
        case kImageTiff:
            return WriteTiff(fileName, *image);
        default:
            return 0;
    }
}

int WriteRaw(const std::string& fileName, const CDibImage& image)
{
    if (image.pBits == nullptr)
        return 0;
    COutputFile file;
    const size_t bytes = static_cast<size_t>(image.height) * static_cast<size_t>(image.stride);
    return file.OpenForWrite(fileName) && file.Write(image.pBits, bytes) && file.Commit() ? 1 : 0;
}

}  // namespace quelix
