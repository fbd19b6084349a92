// What the file-writing fuzz targets share: a scratch directory of the
// process, a check that a call left only the files it should, and a guard
// that makes writes fail past a byte count as on a full disk.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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

inline std::vector<uint8_t> ReadWhole(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes past `bytes` fail with EFBIG, as on a full disk (RLIM_INFINITY:
// no limit). The floor keeps room for libFuzzer to write a crash's input
// (at most -max_len bytes, 4 KiB unless asked) while the limit is in force.
class FileSizeLimit {
public:
    static constexpr uint64_t kFloor = 16 * 1024;
    explicit FileSizeLimit(uint64_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = std::min<rlim_t>(std::max<rlim_t>(bytes, kFloor), saved_.rlim_max);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

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
