// SPDX-License-Identifier: MIT
// What the file-writing fuzz targets share: a scratch directory of the
// process, a check that a call left only the files it should, the smallest
// room on a full disk they may ask for, and the reading of their input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// For the targets' own checking loops over whole images: the fuzzer learns
// nothing from their comparisons, and tracing them would cost most of the
// time of a run.
#define QUELIX_FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

namespace quelix::fuzz {

inline void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Made on first use, emptied by Clear and removed at exit.
inline const std::filesystem::path& ScratchDirectory()
{
    static const std::filesystem::path directory = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "quelix-fuzz-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr);
        std::atexit([] { std::filesystem::remove_all(ScratchDirectory()); });
        return std::filesystem::path(pattern);
    }();
    return directory;
}

// The names in the scratch directory, sorted.
inline std::vector<std::string> ScratchFiles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline void ClearScratch()
{
    for (const auto& entry : std::filesystem::directory_iterator(ScratchDirectory()))
        std::filesystem::remove_all(entry.path());
}

// A little-endian word of a file read back; the word must lie inside it.
inline uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
    Require(at + 4 <= bytes.size());
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// The least a full disk holds when a target makes its writes fail
// (test::ScopedFileSizeLimit): room for libFuzzer to write a crash's input
// (at most -max_len bytes, 4 KiB unless asked) while the limit is in force.
inline constexpr uint64_t kSmallestRoom = 16 * 1024;

// Reads the fuzzer's bytes front to back; past the end every read is 0.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(U8() | U8() << 8); }
    uint32_t U32() { return static_cast<uint32_t>(U16()) | static_cast<uint32_t>(U16()) << 16; }
    // What is left, as it is.
    const uint8_t* Rest() const { return data_ + at_; }
    size_t RestSize() const { return size_ - at_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Fills `count` bytes with `pattern` over and over, or with counting bytes
// when the pattern is empty.
QUELIX_FUZZ_UNTRACED inline void FillRepeating(uint8_t* to, size_t count, const uint8_t* pattern,
                                               size_t patternSize)
{
    for (size_t k = 0; k < count; ++k)
        to[k] = patternSize > 0 ? pattern[k % patternSize] : static_cast<uint8_t>(k * 7);
}

// Fills `count` bytes with noise that follows from `seed`: pictures that do
// not compress, so that an encoder's output is as large as its input.
QUELIX_FUZZ_UNTRACED inline void FillNoise(uint8_t* to, size_t count, uint32_t seed)
{
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (size_t k = 0; k < count; ++k) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        to[k] = static_cast<uint8_t>(state >> 24);
    }
}

}  // namespace quelix::fuzz
