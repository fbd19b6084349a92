// SPDX-License-Identifier: MIT
// The AVI writer with the frame size, the number of frames, the room on the
// disk, the file-size limit and the measured time chosen by the fuzzer. A
// recording that is kept is a well-formed file: its sizes, frame counts,
// chunks and index agree with each other and with the frames written, and
// every frame it holds is the one added; a recording that is not kept
// leaves nothing behind and keeps a file that was there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "output/avi_writer.h"
#include "tests/fuzz/fuzz_files.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/image_readers.h"

using namespace quelix;
using fuzz::ByteReader;
using fuzz::Le32;
using fuzz::Require;

namespace {

// Larger frames than the camera makes only slow the fuzzer down.
constexpr uint64_t kLargestFrame = 256 * 1024;
constexpr uint32_t kMoviTypeOffset = kAviMoviSizeOffset + 4;

bool CodeAt(const std::vector<uint8_t>& bytes, size_t at, const char (&code)[5])
{
    return at + 4 <= bytes.size() && std::memcmp(bytes.data() + at, code, 4) == 0;
}

uint8_t FrameByte(uint32_t frame, size_t k)
{
    return static_cast<uint8_t>(frame * 37 + k * 13);
}

QUELIX_FUZZ_UNTRACED void MakeFrame(std::vector<uint8_t>& frame, uint32_t number)
{
    for (size_t k = 0; k < frame.size(); ++k)
        frame[k] = FrameByte(number, k);
}

void CheckRate(uint64_t frames, uint32_t elapsedMs)
{
    const uint32_t rate = MeasuredAviRate(frames, elapsedMs);
    if (frames == 0 || elapsedMs == 0) {
        Require(rate == kAviNominalRate);
        return;
    }
    Require(rate >= 1 && rate <= 100000000);
    const unsigned __int128 exact = static_cast<unsigned __int128>(frames) * 100000 / elapsedMs;
    Require(exact > 100000000 || exact == 0 || rate == exact);
}

// Reads the finished file back and checks it against what was written.
QUELIX_FUZZ_UNTRACED void CheckFile(const std::vector<uint8_t>& file, int32_t width, int32_t height,
                                    uint32_t added, uint32_t rate, uint64_t sizeLimit)
{
    const auto frameBytes = static_cast<uint32_t>(AviFrameBytes(width, height));
    Require(file.size() <= sizeLimit);
    Require(CodeAt(file, 0, "RIFF") && Le32(file, 4) == file.size() - 8 && CodeAt(file, 8, "AVI "));
    const uint32_t frames = Le32(file, 48);
    Require(frames <= added && Le32(file, 140) == frames);
    Require(Le32(file, 64) == static_cast<uint32_t>(width) &&
            Le32(file, 68) == static_cast<uint32_t>(height));
    const uint32_t measured = rate < 1 ? 1 : rate > 100000000 ? 100000000 : rate;
    Require(Le32(file, 32) == 100000000 / measured && Le32(file, 128) == 1000000000 / measured);

    const uint64_t chunks = uint64_t{frames} * (8 + frameBytes);
    Require(CodeAt(file, kMoviTypeOffset, "movi") && Le32(file, kAviMoviSizeOffset) == 4 + chunks);
    for (uint32_t i = 0; i < frames; ++i) {
        const size_t at = kAviHeaderBytes + i * (8 + size_t{frameBytes});
        Require(CodeAt(file, at, "00db") && Le32(file, at + 4) == frameBytes);
        for (size_t k = 0; k < frameBytes; ++k)
            Require(file[at + 8 + k] == FrameByte(i, k));
    }
    const size_t index = kAviHeaderBytes + chunks;
    Require(CodeAt(file, index, "idx1") && Le32(file, index + 4) == 16 * frames);
    Require(file.size() == index + 8 + 16 * size_t{frames});
    for (uint32_t i = 0; i < frames; ++i) {
        const size_t entry = index + 8 + 16 * size_t{i};
        Require(CodeAt(file, entry, "00db") && Le32(file, entry + 4) == 0x10);
        Require(Le32(file, entry + 8) == 4 + i * (8 + frameBytes) && Le32(file, entry + 12) == frameBytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteReader in(data, size);
    const auto width = static_cast<int16_t>(in.U16());
    const auto height = static_cast<int16_t>(in.U16());
    const uint32_t limitCode = in.U32();
    const uint32_t room = in.U32();
    const uint32_t wanted = in.U8() % 48;
    const uint32_t elapsedMs = in.U32();
    const uint8_t ending = in.U8() % 3;
    const bool existing = (in.U8() & 1) != 0;
    CheckRate(in.U32() | uint64_t{in.U32()} << 32, in.U32());
    if (width > 0 && height > 0 && AviFrameBytes(width, height) > kLargestFrame)
        return 0;

    fuzz::ClearScratch();
    const std::string path = (fuzz::ScratchDirectory() / "movie.avi").string();
    const std::vector<uint8_t> earlier = {'k', 'e', 'p', 't'};
    if (existing)
        std::ofstream(path, std::ios::binary).write("kept", 4);

    // The top bits ask for no limit of the writer and no limit of the disk.
    const uint64_t sizeLimit = limitCode & 0x80000000u ? kAviMaxFileBytes : limitCode % (8u << 20);
    const bool diskLimited = (room & 0x80000000u) == 0;
    uint32_t added = 0;
    bool kept = false;
    {
        test::ScopedFileSizeLimit limit(
            diskLimited ? std::max<uint64_t>(room % (8u << 20), fuzz::kSmallestRoom) : RLIM_INFINITY);
        CAviWriter writer;
        writer.width = width;
        writer.height = height;
        writer.bitCount = 24;
        writer.fileSizeLimit = sizeLimit;
        const bool opened = writer.Open(path) == 1;
        Require(opened || width <= 0 || height <= 0 || diskLimited ||
                sizeLimit < kAviHeaderBytes + 8 + AviFrameBytes(width, height) + 8 + 16);
        std::vector<uint8_t> frame(opened ? AviFrameBytes(width, height) : 0);
        bool full = false;
        while (opened && added < wanted && !full) {
            MakeFrame(frame, added);
            const CAviWriter::AddResult result = writer.AddFrame(frame.data());
            Require(result != CAviWriter::AddResult::Failed || diskLimited);
            full = result != CAviWriter::AddResult::Added;
            added += result == CAviWriter::AddResult::Added ? 1 : 0;
        }
        writer.rate = MeasuredAviRate(added, elapsedMs);
        if (ending == 1)
            writer.Discard();
        if (ending == 2)
            Require(writer.Open(path) == 0 || writer.IsOpen());
        kept = opened && ending == 0 && writer.Finish();
        Require(kept || !opened || ending != 0 || diskLimited);
        writer.Discard();
        if (kept)
            CheckFile(test::ReadBinaryFile(path), width, height, added, MeasuredAviRate(added, elapsedMs),
                      sizeLimit);
    }
    if (!kept && existing)
        Require(test::ReadBinaryFile(path) == earlier);
    Require(fuzz::ScratchFiles() ==
            (kept || existing ? std::vector<std::string>{"movie.avi"} : std::vector<std::string>{}));
    return 0;
}
