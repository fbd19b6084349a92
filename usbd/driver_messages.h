// SPDX-License-Identifier: MIT
// The driver protocol as quelix-usbd serves it (docs/driver-protocol.md):
// node names, request and response headers, control codes and pipes.
#pragma once

#include <cstdint>

namespace quelix::usbd {

inline constexpr char kNodeBaseName[] = "Qlix205KWMX";
inline constexpr int kHighestDeviceNumber = 8;

inline constexpr uint32_t kRequestMagic = 0x51525851;   // "QXRQ"
inline constexpr uint32_t kResponseMagic = 0x53525851;  // "QXRS"
inline constexpr uint32_t kMaxInput = 4096;
inline constexpr uint32_t kMaxOutput = 64u << 20;

inline constexpr uint32_t kPipeTransferOut = 0x22204E;
inline constexpr uint32_t kPipeTransferIn = 0x222051;
inline constexpr uint32_t kPipeTransferLarge = 0x2220A9;
inline constexpr uint32_t kSetTimeout = 0x2220A0;
inline constexpr uint32_t kTimeoutBlockSize = 44;

inline constexpr uint32_t kCommandPipe = 0;
inline constexpr uint32_t kReplyPipe = 1;
inline constexpr uint32_t kImagePipe = 2;
inline constexpr uint32_t kPipeCount = 3;
inline constexpr uint32_t kPacketSize = 64;

// The transfer time-out a camera has when it powers on.
inline constexpr uint32_t kPowerOnTimeoutMs = 3000;

struct RequestHeader {
    uint32_t magic;
    uint32_t code;
    uint32_t inputLength;
    uint32_t outputLength;
    uint32_t carriedLength;
};

struct ResponseHeader {
    uint32_t magic;
    uint32_t success;
    uint32_t bytesReturned;
    uint32_t dataLength;
};

static_assert(sizeof(RequestHeader) == 20);
static_assert(sizeof(ResponseHeader) == 16);

inline bool IsPipeRequest(uint32_t code)
{
    return code == kPipeTransferOut || code == kPipeTransferIn || code == kPipeTransferLarge;
}

inline uint32_t ReadLe32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Only a pipe request on the host-to-camera pipe carries the caller's buffer.
inline bool CarriesOutput(uint32_t code, const uint8_t* input, uint32_t inputLength)
{
    return IsPipeRequest(code) && inputLength >= 4 && ReadLe32(input) == kCommandPipe;
}

}  // namespace quelix::usbd
