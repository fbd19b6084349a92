// SPDX-License-Identifier: MIT
// The messages that carry driver control requests between the library and
// the device node (docs/driver-protocol.md). Shared by the driver connection
// and the simulated camera that serves the nodes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>

namespace quelix::driver_wire {

// Device nodes are named "Qlix205KWMX-N" for device number N.
inline constexpr char kDeviceBaseName[] = "Qlix205KWMX";

// Where the device nodes live: $QUELIX_DEVICE_DIR, else
// ${XDG_RUNTIME_DIR:-/tmp}/quelix.
inline std::string DefaultDeviceDirectory()
{
    const char* directory = std::getenv("QUELIX_DEVICE_DIR");
    if (directory != nullptr && directory[0] != '\0')
        return directory;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp") + "/quelix";
}

// Where the system's USB driver (quelix-usbd run as a service) puts the
// nodes of real cameras.
inline constexpr char kSystemDeviceDirectory[] = "/run/quelix";

inline constexpr uint32_t kRequestMagic = 0x51525851;   // "QXRQ"
inline constexpr uint32_t kResponseMagic = 0x53525851;  // "QXRS"
inline constexpr uint32_t kMaxInput = 4096;
inline constexpr uint32_t kMaxOutput = 64u << 20;

inline constexpr uint32_t kPipeTransferOut = 0x22204E;    // METHOD_OUT_DIRECT
inline constexpr uint32_t kPipeTransferIn = 0x222051;     // METHOD_IN_DIRECT
inline constexpr uint32_t kPipeTransferLarge = 0x2220A9;  // METHOD_IN_DIRECT, large image reads
inline constexpr uint32_t kSetTimeout = 0x2220A0;         // METHOD_BUFFERED, 44-byte block
inline constexpr uint32_t kTimeoutBlockSize = 44;

inline constexpr uint32_t kCommandPipe = 0;
inline constexpr uint32_t kReplyPipe = 1;
inline constexpr uint32_t kImagePipe = 2;
inline constexpr uint32_t kPacketSize = 64;

struct RequestHeader {
    uint32_t magic;
    uint32_t code;
    uint32_t inputLength;
    uint32_t outputLength;
    uint32_t carriedLength;  // 0, or outputLength when the output buffer's bytes follow the input
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

// Whether a request is a frame read: a pipe request on the image pipe, which
// the driver answers when the frame is there, up to its transfer time-out.
inline bool IsFrameRead(uint32_t code, const uint8_t* input, uint32_t inputLength)
{
    return IsPipeRequest(code) && inputLength >= 4 && ReadLe32(input) == kImagePipe;
}

// Whether a request carries the caller's output buffer to the driver: only a
// pipe request on the host-to-camera pipe reads it.
inline bool CarriesOutput(uint32_t code, const uint8_t* input, uint32_t inputLength)
{
    return IsPipeRequest(code) && inputLength >= 4 && ReadLe32(input) == kCommandPipe;
}

}  // namespace quelix::driver_wire
