// SPDX-License-Identifier: MIT
// CAviWriter: an uncompressed AVI file of bottom-up 24-bit frames, written
// through COutputFile. Open writes the headers with a nominal 30 frames per
// second, AddFrame appends one "00db" chunk per frame and keeps its index
// entry in memory, Finish appends the "idx1" index, patches sizes, counts
// and the measured rate into the headers and puts the file in place.
//
// A frame that would carry the file past the 32-bit RIFF size is refused
// (the file stays finishable), and a failed write (disk full) is survived:
// Finish cuts the file back to its last whole frame and ends it there.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/output_file.h"
#include "platform/windowing/bitmap_info.h"

namespace quelix {

inline constexpr uint32_t kAviHeaderBytes = 232;     // RIFF, hdrl and the movi list head
inline constexpr uint32_t kAviMoviSizeOffset = 224;  // the movi list's size field
inline constexpr uint32_t kAviNominalRate = 3000;    // 30 frames per second in hundredths
// The largest file whose RIFF size (file size - 8) fits 32 bits.
inline constexpr uint64_t kAviMaxFileBytes = 0xFFFFFFFFull + 8;

// 24-bit rows padded to 4 bytes, and the bytes of one frame.
constexpr uint32_t AviStride(int32_t width)
{
    return (3u * static_cast<uint32_t>(width) + 3u) & ~3u;
}
constexpr uint64_t AviFrameBytes(int32_t width, int32_t height)
{
    return uint64_t{AviStride(width)} * static_cast<uint32_t>(height);
}

// The measured rate in hundredths of frames per second: frames x 100000 ÷
// milliseconds, without overflow. With no frame or no time between them
// nothing was measured and the nominal rate stands; a measurement below
// 0.01 or above a million frames per second is held to those bounds, so
// every header division stays defined and non-zero.
uint32_t MeasuredAviRate(uint64_t frames, uint32_t elapsedMs);

class CAviWriter {
public:
    struct IndexEntry {
        std::array<char, 4> id;
        uint32_t flags;
        uint32_t offset;  // of the chunk's id, from the movi list type
        uint32_t size;
    };
    enum class AddResult { Added, Full, Failed };

    CAviWriter() = default;
    CAviWriter(const CAviWriter&) = delete;
    CAviWriter& operator=(const CAviWriter&) = delete;

    // Drops whatever was open, stages the file and writes the headers for
    // frames of `width` x `height`. 0 when the size is unusable, a frame
    // cannot fit the file, or the file cannot be created or written.
    int Open(const std::string& fileName);
    // Appends one frame of AviFrameBytes(width, height) bytes, rows bottom
    // first, blue-green-red. Full: the frame would pass fileSizeLimit with
    // its index entry, nothing was written. Failed: the write failed.
    AddResult AddFrame(const uint8_t* pixels);
    // Writes the index, patches the headers with frameCount and `rate` and
    // commits the file. After a failed write the file ends at its last whole
    // frame, and frames are dropped from the end when the index does not
    // fit otherwise. false when no file could be kept (nothing is left then).
    bool Finish();
    // Drops an unfinished file.
    void Discard();
    bool IsOpen() const { return file.IsOpen(); }

    COutputFile file;
    std::array<uint32_t, 14> mainHeader{};
    std::array<uint32_t, 16> streamHeader{};
    platform::BitmapInfoHeader bitmapHeader{};
    uint32_t riffSize = 0;
    uint32_t moviSize = 0;
    uint32_t moviSizePos = 0;
    std::vector<IndexEntry> index;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bitCount = 0;  // of the source image; the file is always 24-bit
    uint32_t rate = kAviNominalRate;
    uint32_t frameCount = 0;
    // The file may not grow past this (tests lower it).
    uint64_t fileSizeLimit = kAviMaxFileBytes;

private:
    uint32_t FrameBytes() const { return static_cast<uint32_t>(AviFrameBytes(width, height)); }
    uint64_t FinishedSize(uint64_t frames) const;
    // Cuts the file back to `frames` whole frames and the sizes with it.
    bool KeepFrames(uint32_t frames);
    bool WriteIndex();
    bool PatchHeaders();

    bool writeFailed_ = false;
};

}  // namespace quelix
