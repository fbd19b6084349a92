// SPDX-License-Identifier: MIT
#include "raw_driver_requests.h"

#include <algorithm>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"

namespace quelix::test {

namespace wire = driver_wire;

std::string DriverPath(int deviceNumber)
{
    return "\\\\.\\Qlix205KWMX-" + std::to_string(deviceNumber);
}

PipeResult PipeRequest(DriverHandle handle, uint32_t code, uint32_t pipe, std::vector<uint8_t>& buffer)
{
    const uint8_t input[4] = {uint8_t(pipe), uint8_t(pipe >> 8), uint8_t(pipe >> 16), uint8_t(pipe >> 24)};
    PipeResult result;
    result.success = platform::DeviceIoControl(handle, code, input, 4, buffer.data(), uint32_t(buffer.size()),
                                               &result.bytes);
    return result;
}

bool SendCommand(DriverHandle handle, std::initializer_list<uint8_t> bytes)
{
    std::vector<uint8_t> packet(wire::kPacketSize, 0);
    std::copy(bytes.begin(), bytes.end(), packet.begin());
    const PipeResult result = PipeRequest(handle, wire::kPipeTransferIn, wire::kCommandPipe, packet);
    return result.success && result.bytes == wire::kPacketSize;
}

std::optional<std::vector<uint8_t>> ReadReply(DriverHandle handle)
{
    std::vector<uint8_t> reply(wire::kPacketSize);
    const PipeResult result = PipeRequest(handle, wire::kPipeTransferOut, wire::kReplyPipe, reply);
    if (!result.success || result.bytes != wire::kPacketSize)
        return std::nullopt;
    return reply;
}

bool WriteFpga(DriverHandle handle, uint8_t reg, uint8_t value)
{
    return SendCommand(handle, {CmdFpgaWrite, reg, value});
}

std::optional<uint8_t> ReadFpga(DriverHandle handle, uint8_t reg)
{
    if (!SendCommand(handle, {CmdFpgaRead, reg}))
        return std::nullopt;
    const auto reply = ReadReply(handle);
    return reply ? std::optional<uint8_t>((*reply)[0]) : std::nullopt;
}

bool WriteSensor(DriverHandle handle, uint8_t reg, uint16_t value)
{
    return SendCommand(handle, {CmdSensorWrite, reg, uint8_t(value >> 8), uint8_t(value)});
}

std::optional<uint16_t> ReadSensor(DriverHandle handle, uint8_t reg)
{
    if (!SendCommand(handle, {CmdSensorRead, reg}))
        return std::nullopt;
    const auto reply = ReadReply(handle);
    return reply ? std::optional<uint16_t>(uint16_t((*reply)[0] << 8 | (*reply)[1])) : std::nullopt;
}

bool WriteIdMemory(DriverHandle handle, uint8_t address, uint8_t value)
{
    return SendCommand(handle, {CmdSromWrite, kSromBusAddress, 0x03, kSromAddressHigh, address, value});
}

std::optional<uint8_t> ReadIdMemory(DriverHandle handle, uint8_t address)
{
    if (!SendCommand(handle, {CmdSromRead, kSromBusAddress, 0x02, 0x01, kSromAddressHigh, address}))
        return std::nullopt;
    const auto reply = ReadReply(handle);
    return reply ? std::optional<uint8_t>((*reply)[0]) : std::nullopt;
}

bool SetDriverTimeout(DriverHandle handle, uint32_t milliseconds)
{
    uint8_t block[wire::kTimeoutBlockSize] = {1,
                                              0,
                                              0,
                                              0,
                                              uint8_t(milliseconds),
                                              uint8_t(milliseconds >> 8),
                                              uint8_t(milliseconds >> 16),
                                              uint8_t(milliseconds >> 24)};
    return platform::DeviceIoControl(handle, wire::kSetTimeout, block, sizeof block, nullptr, 0, nullptr);
}

uint32_t TransferSamplesFor(int width, int height)
{
    return uint32_t((width * height + 1023) / 1024 * 1024 + 1024);
}

bool ConfigureCapture(DriverHandle handle, int x, int y, int width, int height, bool sixteenBit,
                      uint16_t exposureLines)
{
    const uint32_t samples = TransferSamplesFor(width, height);
    return WriteFpga(handle, 16, uint8_t(x / 2)) && WriteFpga(handle, 17, uint8_t(y / 2)) &&
           WriteFpga(handle, 18, uint8_t(width / 2)) && WriteFpga(handle, 19, uint8_t(height / 2 - 1)) &&
           SendCommand(handle, {CmdSetTransferSize, uint8_t(samples), uint8_t(samples >> 8),
                                uint8_t(samples >> 16), uint8_t(samples >> 24)}) &&
           WriteFpga(handle, 14, sixteenBit ? 9 : 8) && WriteFpga(handle, 32, uint8_t(exposureLines)) &&
           WriteFpga(handle, 33, uint8_t(exposureLines >> 8));
}

PipeResult ReadFrame(DriverHandle handle, uint32_t bytes, std::vector<uint8_t>& frame)
{
    frame.assign(bytes, 0);
    if (!SendCommand(handle, {CmdStartFrame}))
        return {};
    return PipeRequest(handle, wire::kPipeTransferIn, wire::kImagePipe, frame);
}

}  // namespace quelix::test
