// SPDX-License-Identifier: MIT
#include "device/mask_file.h"

#include <array>
#include <cstring>

#include "platform/os/input_file.h"
#include "platform/os/output_file.h"

namespace quelix {

namespace {

constexpr char kMagic[16] = "KORVEX MASK1000";  // with its terminating zero byte
constexpr uint32_t kBlock8Size = static_cast<uint32_t>(kMaskPixels);
constexpr uint32_t kBlock16Size = static_cast<uint32_t>(kMaskPixels * 2);

// The header fields after the magic, in file order.
constexpr std::array<uint32_t, 6> kHeaderFields = {kMaskWidth,  kMaskHeight,  kBlock8Size,
                                                   kBlock8Size, kBlock16Size, kBlock16Size};

void PutWord32(uint8_t* to, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        to[k] = static_cast<uint8_t>(value >> (8 * k));
}

uint32_t GetWord32(const uint8_t* from)
{
    return static_cast<uint32_t>(from[0]) | static_cast<uint32_t>(from[1]) << 8 |
           static_cast<uint32_t>(from[2]) << 16 | static_cast<uint32_t>(from[3]) << 24;
}

uint8_t* Put8(uint8_t* to, const std::vector<uint8_t>& samples)
{
    std::memcpy(to, samples.data(), kMaskPixels);
    return to + kMaskPixels;
}

uint8_t* Put16(uint8_t* to, const std::vector<uint16_t>& samples)
{
    for (size_t k = 0; k < kMaskPixels; ++k) {
        to[2 * k] = static_cast<uint8_t>(samples[k]);
        to[2 * k + 1] = static_cast<uint8_t>(samples[k] >> 8);
    }
    return to + 2 * kMaskPixels;
}

const uint8_t* Get8(const uint8_t* from, std::vector<uint8_t>& samples)
{
    samples.assign(from, from + kMaskPixels);
    return from + kMaskPixels;
}

const uint8_t* Get16(const uint8_t* from, std::vector<uint16_t>& samples)
{
    samples.resize(kMaskPixels);
    for (size_t k = 0; k < kMaskPixels; ++k)
        samples[k] = static_cast<uint16_t>(from[2 * k] | from[2 * k + 1] << 8);
    return from + 2 * kMaskPixels;
}

bool HasShape(const MaskReferences& references)
{
    return references.dark8.size() == kMaskPixels && references.bright8.size() == kMaskPixels &&
           references.dark16.size() == kMaskPixels && references.bright16.size() == kMaskPixels;
}

}  // namespace

std::vector<uint8_t> EncodeMaskFile(const MaskReferences& references)
{
    if (!HasShape(references))
        return {};
    std::vector<uint8_t> bytes(kMaskFileSize);
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    for (size_t k = 0; k < kHeaderFields.size(); ++k)
        PutWord32(bytes.data() + sizeof kMagic + 4 * k, kHeaderFields[k]);
    uint8_t* at = bytes.data() + kMaskHeaderSize;
    at = Put8(at, references.dark8);
    at = Put8(at, references.bright8);
    at = Put16(at, references.dark16);
    Put16(at, references.bright16);
    return bytes;
}

bool DecodeMaskFile(const std::vector<uint8_t>& bytes, MaskReferences& references)
{
    if (bytes.size() != kMaskFileSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return false;
    for (size_t k = 0; k < kHeaderFields.size(); ++k) {
        if (GetWord32(bytes.data() + sizeof kMagic + 4 * k) != kHeaderFields[k])
            return false;
    }
    MaskReferences decoded;
    const uint8_t* at = bytes.data() + kMaskHeaderSize;
    at = Get8(at, decoded.dark8);
    at = Get8(at, decoded.bright8);
    at = Get16(at, decoded.dark16);
    Get16(at, decoded.bright16);
    references = std::move(decoded);
    return true;
}

bool ReadMaskFile(const std::string& path, MaskReferences& references)
{
    std::vector<uint8_t> bytes;
    bool longer = false;
    return platform::ReadFileUpTo(path, kMaskFileSize, bytes, longer) && !longer &&
           DecodeMaskFile(bytes, references);
}

bool WriteMaskFile(const std::string& path, const MaskReferences& references)
{
    const std::vector<uint8_t> bytes = EncodeMaskFile(references);
    COutputFile file;
    return !bytes.empty() && file.OpenForWrite(path) && file.Write(bytes.data(), bytes.size()) &&
           file.Commit();
}

}  // namespace quelix
