// SPDX-License-Identifier: MIT
#include "output/avi_writer.h"

#include <algorithm>
#include <cstring>

namespace quelix {

namespace {

constexpr uint32_t kIndexEntryBytes = 16;
constexpr uint32_t kChunkHeadBytes = 8;
constexpr uint32_t kKeyFrame = 0x10;
constexpr uint32_t kAviFlags = 0x10010;  // has an index, was a capture file
constexpr uint32_t kRiffSizeOffset = 4;
constexpr uint32_t kTotalFramesOffset = 48;
constexpr uint32_t kLengthOffset = 140;
constexpr uint32_t kMicroSecPerFrameOffset = 32;
constexpr uint32_t kScaleOffset = 128;
constexpr uint32_t kStreamRate = 10000000;
constexpr uint32_t kHighestRate = 100000000;  // a million frames per second

// Main header words (offsets 32-87) and stream header words (108-171).
enum MainWord {
    kMicroSecPerFrame,
    kMaxBytesPerSec,
    kPadding,
    kFlags,
    kTotalFrames,
    kInitialFrames,
    kStreams,
    kMainSuggestedBuffer,
    kWidth,
    kHeight
};
enum StreamWord {
    kType,
    kHandler,
    kStreamFlags,
    kPriorityLanguage,
    kStreamInitialFrames,
    kScale,
    kRate,
    kStart,
    kLength,
    kStreamSuggestedBuffer,
    kQuality,
    kSampleSize
};

uint32_t FourCc(const char (&code)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// Little-endian bytes, appended.
class Bytes {
public:
    void U16(uint16_t value)
    {
        bytes_.push_back(static_cast<uint8_t>(value));
        bytes_.push_back(static_cast<uint8_t>(value >> 8));
    }
    void U32(uint32_t value)
    {
        U16(static_cast<uint16_t>(value));
        U16(static_cast<uint16_t>(value >> 16));
    }
    void Code(const char (&code)[5]) { U32(FourCc(code)); }
    const std::vector<uint8_t>& Data() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

void PutU32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t MeasuredAviRate(uint64_t frames, uint32_t elapsedMs)
{
    if (frames == 0 || elapsedMs == 0)
        return kAviNominalRate;
    const uint64_t rate = frames * 100000 / elapsedMs;
    return static_cast<uint32_t>(std::clamp<uint64_t>(rate, 1, kHighestRate));
}

uint64_t CAviWriter::FinishedSize(uint64_t frames) const
{
    return kAviHeaderBytes + frames * (kChunkHeadBytes + uint64_t{FrameBytes()}) + kChunkHeadBytes +
           frames * kIndexEntryBytes;
}

int CAviWriter::Open(const std::string& fileName)
{
    Discard();
    if (width <= 0 || height <= 0 || FinishedSize(1) > fileSizeLimit)
        return 0;
    const uint32_t frameBytes = FrameBytes();
    const uint32_t suggested = frameBytes + kChunkHeadBytes;

    mainHeader[kMicroSecPerFrame] = 100000000 / kAviNominalRate;
    mainHeader[kMaxBytesPerSec] =
        static_cast<uint32_t>(std::min<uint64_t>(uint64_t{suggested} * 30, UINT32_MAX));
    mainHeader[kFlags] = kAviFlags;
    mainHeader[kStreams] = 1;
    mainHeader[kMainSuggestedBuffer] = suggested;
    mainHeader[kWidth] = static_cast<uint32_t>(width);
    mainHeader[kHeight] = static_cast<uint32_t>(height);
    streamHeader[kType] = FourCc("vids");
    streamHeader[kHandler] = FourCc("DIB ");
    streamHeader[kScale] = 1000000000 / kAviNominalRate;
    streamHeader[kRate] = kStreamRate;
    streamHeader[kStreamSuggestedBuffer] = suggested;
    bitmapHeader.biWidth = width;
    bitmapHeader.biHeight = height;
    bitmapHeader.biPlanes = 1;
    bitmapHeader.biBitCount = 24;

    Bytes header;
    header.Code("RIFF");
    header.U32(0);
    header.Code("AVI ");
    header.Code("LIST");
    header.U32(200);
    header.Code("hdrl");
    header.Code("avih");
    header.U32(56);
    for (const uint32_t word : mainHeader)
        header.U32(word);
    header.Code("LIST");
    header.U32(124);
    header.Code("strl");
    header.Code("strh");
    header.U32(64);
    for (const uint32_t word : streamHeader)
        header.U32(word);
    header.Code("strf");
    header.U32(40);
    header.U32(bitmapHeader.biSize);
    header.U32(static_cast<uint32_t>(bitmapHeader.biWidth));
    header.U32(static_cast<uint32_t>(bitmapHeader.biHeight));
    header.U16(bitmapHeader.biPlanes);
    header.U16(bitmapHeader.biBitCount);
    for (int i = 0; i < 6; ++i)
        header.U32(0);  // compression, image size, resolutions, colours used and important
    header.Code("LIST");
    moviSizePos = static_cast<uint32_t>(header.Data().size());
    header.U32(0);
    header.Code("movi");

    if (!file.OpenForWrite(fileName))
        return 0;
    if (!file.Write(header.Data().data(), header.Data().size())) {
        Discard();
        return 0;
    }
    riffSize = static_cast<uint32_t>(file.Size()) - 8;
    moviSize = 4;
    return 1;
}

CAviWriter::AddResult CAviWriter::AddFrame(const uint8_t* pixels)
{
    if (!file.IsOpen() || writeFailed_)
        return AddResult::Failed;
    if (FinishedSize(uint64_t{frameCount} + 1) > fileSizeLimit)
        return AddResult::Full;
    const uint32_t frameBytes = FrameBytes();
    uint8_t head[kChunkHeadBytes];
    PutU32(head, FourCc("00db"));
    PutU32(head + 4, frameBytes);
    index.push_back({{'0', '0', 'd', 'b'}, kKeyFrame, moviSize, frameBytes});
    if (!file.Write(head, sizeof head) || !file.Write(pixels, frameBytes)) {
        index.pop_back();
        writeFailed_ = true;
        return AddResult::Failed;
    }
    riffSize += kChunkHeadBytes + frameBytes;
    moviSize += kChunkHeadBytes + frameBytes;
    ++frameCount;
    return AddResult::Added;
}

bool CAviWriter::KeepFrames(uint32_t frames)
{
    const uint64_t chunks = frames * (kChunkHeadBytes + uint64_t{FrameBytes()});
    if (!file.Truncate(kAviHeaderBytes + chunks))
        return false;
    index.resize(frames);
    frameCount = frames;
    moviSize = static_cast<uint32_t>(4 + chunks);
    riffSize = static_cast<uint32_t>(kAviHeaderBytes - 8 + chunks);
    writeFailed_ = false;
    return true;
}

bool CAviWriter::WriteIndex()
{
    // In blocks of a fixed size, so that a long index needs no large buffer.
    constexpr uint32_t kEntriesPerBlock = 4096;
    uint8_t block[kEntriesPerBlock * kIndexEntryBytes];
    PutU32(block, FourCc("idx1"));
    PutU32(block + 4, kIndexEntryBytes * frameCount);
    if (!file.Write(block, kChunkHeadBytes))
        return false;
    for (uint32_t first = 0; first < frameCount; first += kEntriesPerBlock) {
        const uint32_t entries = std::min(kEntriesPerBlock, frameCount - first);
        for (uint32_t i = 0; i < entries; ++i) {
            const IndexEntry& entry = index[first + i];
            uint8_t* at = block + i * kIndexEntryBytes;
            std::memcpy(at, entry.id.data(), 4);
            PutU32(at + 4, entry.flags);
            PutU32(at + 8, entry.offset);
            PutU32(at + 12, entry.size);
        }
        if (!file.Write(block, size_t{entries} * kIndexEntryBytes))
            return false;
    }
    riffSize += kChunkHeadBytes + kIndexEntryBytes * frameCount;
    return true;
}

bool CAviWriter::PatchHeaders()
{
    const uint32_t measured = std::clamp<uint32_t>(rate, 1, kHighestRate);
    mainHeader[kTotalFrames] = frameCount;
    mainHeader[kMicroSecPerFrame] = 100000000 / measured;
    streamHeader[kLength] = frameCount;
    streamHeader[kScale] = 1000000000 / measured;
    const struct {
        uint32_t offset;
        uint32_t value;
    } patches[] = {{kRiffSizeOffset, riffSize},
                   {moviSizePos, moviSize},
                   {kTotalFramesOffset, frameCount},
                   {kLengthOffset, frameCount},
                   {kMicroSecPerFrameOffset, mainHeader[kMicroSecPerFrame]},
                   {kScaleOffset, streamHeader[kScale]}};
    for (const auto& [offset, value] : patches) {
        uint8_t bytes[4];
        PutU32(bytes, value);
        if (!file.WriteAt(offset, bytes, sizeof bytes))
            return false;
    }
    return true;
}

bool CAviWriter::Finish()
{
    if (!file.IsOpen())
        return false;
    bool kept = !writeFailed_ || KeepFrames(frameCount);
    if (kept && !WriteIndex()) {
        // The disk filled up under the index: give back enough frames from
        // the end for the index of the rest to fit where they were.
        const uint64_t needed = kChunkHeadBytes + uint64_t{kIndexEntryBytes} * frameCount;
        const uint64_t freedPerFrame = kChunkHeadBytes + uint64_t{FrameBytes()} + kIndexEntryBytes;
        const auto drop = static_cast<uint32_t>(
            std::min<uint64_t>(frameCount, (needed + freedPerFrame - 1) / freedPerFrame));
        kept = frameCount > 0 && KeepFrames(frameCount - drop) && WriteIndex();
    }
    kept = kept && PatchHeaders() && file.Commit();
    Discard();
    return kept;
}

void CAviWriter::Discard()
{
    file.Close();
    index.clear();
    mainHeader.fill(0);
    streamHeader.fill(0);
    bitmapHeader = {};
    riffSize = 0;
    moviSize = 0;
    moviSizePos = 0;
    frameCount = 0;
    writeFailed_ = false;
}

}  // namespace quelix
