// SPDX-License-Identifier: MIT
// The mask-file loader on files the fuzzer shapes: a file of its bytes as
// they are, or a mask file whose header, length and reference samples it
// chooses. A file is taken whole or not at all; what is taken encodes back
// to the same bytes, and its defect masks and shading correction follow
// their rules for any reference values, window placement and frame samples.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "device/defect_masks.h"
#include "device/mask_file.h"
#include "image/dib_image.h"
#include "pipeline/shading_correction.h"
#include "tests/fuzz/fuzz_files.h"

using namespace quelix;
using fuzz::ByteReader;
using fuzz::Require;

namespace {

// A set of references unlike anything the fuzzer makes, to tell whether a
// refused file changed them.
const MaskReferences& Sentinel()
{
    static const MaskReferences sentinel = [] {
        MaskReferences references;
        references.dark8.assign(kMaskPixels, 0x5A);
        references.dark16.assign(kMaskPixels, 0xA5A5);
        return references;
    }();
    return sentinel;
}

QUELIX_FUZZ_UNTRACED bool SameReferences(const MaskReferences& a, const MaskReferences& b)
{
    return a.dark8 == b.dark8 && a.bright8 == b.bright8 && a.dark16 == b.dark16 && a.bright16 == b.bright16;
}

QUELIX_FUZZ_UNTRACED std::vector<uint8_t> ShapeFile(ByteReader& in, bool& wellFormed)
{
    const auto lengthChange = static_cast<int16_t>(in.U16());
    static const std::vector<uint8_t> kDefaultFile = EncodeMaskFile(MaskReferences());
    std::vector<uint8_t> bytes = kDefaultFile;
    bool headerKept = true;
    for (size_t k = 0; k < kMaskHeaderSize; ++k) {
        const uint8_t change = in.U8();
        bytes[k] ^= change;
        headerKept = headerKept && change == 0;
    }
    // The samples: the rest of the fuzzer's bytes, over and over.
    fuzz::FillRepeating(bytes.data() + kMaskHeaderSize, bytes.size() - kMaskHeaderSize, in.Rest(),
                        in.RestSize());
    const auto length = static_cast<size_t>(static_cast<ptrdiff_t>(bytes.size()) + lengthChange);
    bytes.resize(length, 0xEE);
    wellFormed = headerKept && lengthChange == 0;
    return bytes;
}

QUELIX_FUZZ_UNTRACED void CheckMasks(const MaskReferences& references)
{
    const DefectMasks masks = DeriveDefectMasks(references);
    for (int32_t i = 0; i < kMaskHeight; ++i) {
        for (int32_t j = 0; j < kMaskWidth; ++j) {
            const size_t k = static_cast<size_t>(i) * kMaskWidth + j;
            const bool inside = i >= 2 && j >= 2 && i < kMaskHeight - 2 && j < kMaskWidth - 2;
            Require(masks.hot8[k] == (inside && references.dark8[k] > 192));
            Require(masks.dead8[k] == (inside && references.bright8[k] < 64));
            Require(masks.hot16[k] == (inside && references.dark16[k] > 0x3000));
            Require(masks.dead16[k] == (inside && references.bright16[k] < 4096));
        }
    }
}

int64_t Shaded(int64_t x, int64_t dark, int64_t bright, int bits)
{
    if (bits == 8 ? bright == dark : bright <= dark)
        return x;
    const int64_t full = bits == 8 ? 256 : 16384;
    const int64_t level = (x - dark) * full / (bright - dark);
    return level < 0 ? 0 : level >= full ? full - 1 : level;
}

template <class Sample>
QUELIX_FUZZ_UNTRACED void MakeReference(CDibImage& image, const std::vector<Sample>& samples)
{
    Require(image.Create(kMaskWidth, kMaskHeight, 8 * sizeof(Sample)) == 1);
    for (int32_t i = 0; i < kMaskHeight; ++i)
        std::memcpy(image.pBits + static_cast<size_t>(i) * image.stride, samples.data() + i * kMaskWidth,
                    kMaskWidth * sizeof(Sample));
}

// Corrects a frame of the fuzzer's size, place and samples against the
// references, and checks every pixel against the formula.
template <class Sample>
QUELIX_FUZZ_UNTRACED void CheckShading(const std::vector<Sample>& dark, const std::vector<Sample>& bright,
                                       ByteReader& in)
{
    constexpr int kBits = sizeof(Sample) == 1 ? 8 : 16;
    const auto offsetX = static_cast<int16_t>(in.U16());
    const auto offsetY = static_cast<int16_t>(in.U16());
    const int32_t width = 1 + in.U16() % 400;
    const int32_t height = 1 + in.U16() % 300;
    CDibImage darkImage;
    CDibImage brightImage;
    MakeReference(darkImage, dark);
    MakeReference(brightImage, bright);
    CDibImage work;
    Require(work.Create(width, height, kBits) == 1);
    fuzz::FillRepeating(work.pBits, work.ImageBytes(), in.Rest(), in.RestSize());
    std::vector<uint8_t> before(work.pBits, work.pBits + work.ImageBytes());

    if constexpr (kBits == 8)
        ShadingCorrection8().Apply(work, darkImage, brightImage, offsetX, offsetY);
    else
        ShadingCorrection16().Apply(work, darkImage, brightImage, offsetX, offsetY);

    for (int32_t i = 0; i < height; ++i) {
        for (int32_t j = 0; j < width; ++j) {
            const size_t at = static_cast<size_t>(i) * work.stride + j * sizeof(Sample);
            Sample x;
            Sample got;
            std::memcpy(&x, before.data() + at, sizeof x);
            std::memcpy(&got, work.pBits + at, sizeof got);
            const int32_t row = offsetY + i;
            const int32_t column = offsetX + j;
            const bool covered = offsetX >= 0 && offsetY >= 0 && row < kMaskHeight && column < kMaskWidth;
            const size_t k = static_cast<size_t>(row) * kMaskWidth + column;
            Require(got == (covered ? Shaded(x, dark[k], bright[k], kBits) : x));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    const uint8_t layout = in.U8();
    bool wellFormed = false;
    std::vector<uint8_t> bytes;
    if (layout & 1)
        bytes.assign(in.Rest(), in.Rest() + in.RestSize());
    else
        bytes = ShapeFile(in, wellFormed);

    // Through the file system, as the library reads it.
    const auto path = fuzz::ScratchDirectory() / "mask.bin";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        Require(out.good());
    }
    MaskReferences references = Sentinel();
    const bool taken = ReadMaskFile(path.string(), references);
    Require(taken == wellFormed);
    if (!taken) {
        Require(SameReferences(references, Sentinel()));
        return 0;
    }
    Require(EncodeMaskFile(references) == bytes);

    CheckMasks(references);
    ByteReader frame(data + size / 2, size - size / 2);
    if (layout & 2)
        CheckShading(references.dark16, references.bright16, frame);
    else
        CheckShading(references.dark8, references.bright8, frame);
    return 0;
}
