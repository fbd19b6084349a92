// SPDX-License-Identifier: MIT
// Driver requests made by hand for tests that talk to a simulated camera
// through the driver connection: command packets, register and ID-memory
// access, and frame reads, as docs/driver-protocol.md describes them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/driver/driver_connection.h"

namespace quelix::test {

using platform::DriverHandle;

// "\\.\Qlix205KWMX-N"
std::string DriverPath(int deviceNumber);

// A driver handle on device N, closed when the holder goes.
class OpenDevice {
public:
    explicit OpenDevice(int deviceNumber = 0)
        : handle_(platform::OpenDriver(DriverPath(deviceNumber).c_str()))
    {
    }
    ~OpenDevice() { platform::CloseDriver(handle_); }
    OpenDevice(const OpenDevice&) = delete;
    OpenDevice& operator=(const OpenDevice&) = delete;

    DriverHandle Handle() const { return handle_; }
    bool Valid() const { return handle_ != platform::kInvalidDriverHandle; }

private:
    DriverHandle handle_;
};

struct PipeResult {
    bool success = false;
    uint32_t bytes = 0;
};

// One pipe request moving buffer.size() bytes.
PipeResult PipeRequest(DriverHandle handle, uint32_t code, uint32_t pipe, std::vector<uint8_t>& buffer);
// A 64-byte command packet beginning with `bytes`, the rest zero, written to pipe 0.
bool SendCommand(DriverHandle handle, std::initializer_list<uint8_t> bytes);
// Reads the 64-byte reply on pipe 1.
std::optional<std::vector<uint8_t>> ReadReply(DriverHandle handle);

bool WriteFpga(DriverHandle handle, uint8_t reg, uint8_t value);
std::optional<uint8_t> ReadFpga(DriverHandle handle, uint8_t reg);
bool WriteSensor(DriverHandle handle, uint8_t reg, uint16_t value);
std::optional<uint16_t> ReadSensor(DriverHandle handle, uint8_t reg);
bool WriteIdMemory(DriverHandle handle, uint8_t address, uint8_t value);
std::optional<uint8_t> ReadIdMemory(DriverHandle handle, uint8_t address);
bool SetDriverTimeout(DriverHandle handle, uint32_t milliseconds);

// The transfer length the library computes for a window: its pixels rounded
// up to a multiple of 1024, plus 1024.
uint32_t TransferSamplesFor(int width, int height);

// Sets window, sample width, transfer length and exposure as the library does.
bool ConfigureCapture(DriverHandle handle, int x, int y, int width, int height, bool sixteenBit,
                      uint16_t exposureLines = 100);

// Sends the start-frame command and reads `bytes` from the image pipe.
PipeResult ReadFrame(DriverHandle handle, uint32_t bytes, std::vector<uint8_t>& frame);

// Little-endian 16-bit sample i of a 16-bit frame.
inline uint16_t Sample16(const std::vector<uint8_t>& frame, size_t i)
{
    return uint16_t(frame[2 * i] | frame[2 * i + 1] << 8);
}

}  // namespace quelix::test
