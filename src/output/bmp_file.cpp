// SPDX-License-Identifier: MIT
// BMP files of an image buffer: a 14-byte file header, the 40-byte bitmap
// header, the 256-entry colour table for 8 bits, then the pixel rows. All
// fields little-endian.
#include <array>
#include <cstring>

#include "image/dib_image.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kColorTableBytes = platform::kColorTableSize * 4;

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(uint8_t* out) : out_(out) {}
    void U16(uint32_t value) { Put(value, 2); }
    void U32(uint32_t value) { Put(value, 4); }

private:
    void Put(uint32_t value, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            *out_++ = static_cast<uint8_t>(value >> (8 * i));
    }
    uint8_t* out_;
};

}  // namespace

int CDibImage::SaveBmp(const std::string& fileName) const
{
    if (pBits == nullptr)
        return 0;
    const bool hasColorTable = bitCount <= 8;
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + (hasColorTable ? kColorTableBytes : 0);
    const uint64_t pixelBytes = static_cast<uint64_t>(height) * static_cast<uint64_t>(stride);
    if (pixelOffset + pixelBytes > UINT32_MAX)
        return 0;

    std::array<uint8_t, kFileHeaderSize + kInfoHeaderSize + kColorTableBytes> head{};
    LittleEndianWriter out(head.data());
    out.U16(0x4D42);  // "BM"
    out.U32(static_cast<uint32_t>(pixelOffset + pixelBytes));
    out.U32(0);
    out.U32(pixelOffset);
    out.U32(bmiHeader.biSize);
    out.U32(static_cast<uint32_t>(bmiHeader.biWidth));
    out.U32(static_cast<uint32_t>(bmiHeader.biHeight));
    out.U16(bmiHeader.biPlanes);
    out.U16(bmiHeader.biBitCount);
    out.U32(bmiHeader.biCompression);
    out.U32(bmiHeader.biSizeImage);
    out.U32(static_cast<uint32_t>(bmiHeader.biXPelsPerMeter));
    out.U32(static_cast<uint32_t>(bmiHeader.biYPelsPerMeter));
    out.U32(bmiHeader.biClrUsed);
    out.U32(bmiHeader.biClrImportant);
    if (hasColorTable) {
        std::array<platform::RgbQuad, platform::kColorTableSize> colors{};
        if (platform::GetDIBColorTable(hdc, 0, platform::kColorTableSize, colors.data()) !=
            platform::kColorTableSize)
            return 0;
        std::memcpy(head.data() + kFileHeaderSize + kInfoHeaderSize, colors.data(), kColorTableBytes);
    }

    COutputFile file;
    return file.OpenForWrite(fileName) && file.Write(head.data(), pixelOffset) &&
                   file.Write(pBits, static_cast<size_t>(pixelBytes)) && file.Commit()
               ? 1
               : 0;
}

}  // namespace quelix
