// SPDX-License-Identifier: MIT
#include "finished_avi.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace quelix::soak {

namespace {

uint32_t Le32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

bool IsFinishedAvi(const std::string& path)
{
    std::error_code error;
    const uint64_t size = std::filesystem::file_size(path, error);
    if (error || size < 240)
        return false;
    std::ifstream file(path, std::ios::binary);
    uint8_t header[52];
    file.read(reinterpret_cast<char*>(header), sizeof header);
    const uint64_t indexBytes = 8 + 16 * uint64_t{Le32(header + 48)};
    if (!file || std::memcmp(header, "RIFF", 4) != 0 || Le32(header + 4) != size - 8 || indexBytes > size)
        return false;
    char index[4];
    file.seekg(static_cast<std::streamoff>(size - indexBytes));
    file.read(index, sizeof index);
    return file && std::memcmp(index, "idx1", 4) == 0;
}

}  // namespace quelix::soak
