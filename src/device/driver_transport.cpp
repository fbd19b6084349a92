// SPDX-License-Identifier: MIT
#include "device/driver_transport.h"

#include <algorithm>
#include <cstring>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"
#include "platform/os/clock.h"

namespace quelix {

namespace {

constexpr uint32_t kSromReadPauseMs = 6;
constexpr uint32_t kSromWritePauseMs = 10;

int IssuePipeRequest(uint32_t code, DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                     uint32_t& done)
{
    if (buffer == nullptr)
        return kPipeNullBuffer;
    if (handle == platform::kNoDriverHandle)
        return kPipeNullHandle;
    const uint32_t input = pipe;
    done = 0;
    return platform::DeviceIoControl(handle, code, &input, sizeof input, buffer, length, &done) ? kPipeOk
                                                                                                : kPipeFailed;
}

int StatusOf(int result, uint32_t done, uint32_t length)
{
    return (result == kPipeOk && done == length) ? kTransferOk : kTransferFailed;
}

// Opens a fresh handle on the path; false when no handle could be had.
bool OpenFresh(const char* path, DriverHandle& handle)
{
    handle = platform::kNoDriverHandle;
    return DeviceOpen(path, handle);
}

}  // namespace

int ReadReplyTwice(DriverHandle handle, Packet& reply)
{
    ReadPipe(handle, kReplyPipe, kPacketSize, reply.data());
    return ReadPipe(handle, kReplyPipe, kPacketSize, reply.data());
}

bool DeviceOpen(const char* path, DriverHandle& handle)
{
    if (path == nullptr)
        return false;
    handle = platform::OpenDriver(path);
    return true;
}

int DeviceClose(DriverHandle& handle)
{
    if (handle == platform::kNoDriverHandle)
        return 0;
    platform::CloseDriver(handle);
    handle = platform::kNoDriverHandle;
    return 1;
}

int PipeTransfer(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& done,
                 int direction)
{
    const uint32_t code = direction == 1 ? driver_wire::kPipeTransferIn : driver_wire::kPipeTransferOut;
    return IssuePipeRequest(code, handle, pipe, length, buffer, done);
}

int PipeTransferLarge(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& done)
{
    return IssuePipeRequest(driver_wire::kPipeTransferLarge, handle, pipe, length, buffer, done);
}

int ReadPipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer)
{
    if (handle == platform::kNoDriverHandle)
        return kTransferNoHandle;
    uint32_t done = 0;
    const int result = PipeTransfer(handle, pipe, length, buffer, done, 0);
    return StatusOf(result, done, length);
}

int WritePipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer)
{
    if (handle == platform::kNoDriverHandle)
        return kTransferNoHandle;
    uint32_t done = 0;
    const int result = PipeTransfer(handle, pipe, length, buffer, done, 1);
    return StatusOf(result, done, length);
}

int SetDriverTimeout(DriverHandle handle, uint32_t milliseconds)
{
    if (handle == platform::kNoDriverHandle)
        return 0;
    std::array<uint8_t, driver_wire::kTimeoutBlockSize> block{};
    const uint32_t one = 1;
    std::memcpy(block.data(), &one, sizeof one);
    std::memcpy(block.data() + 4, &milliseconds, sizeof milliseconds);
    uint32_t done = 0;
    return platform::DeviceIoControl(handle, driver_wire::kSetTimeout, block.data(), block.size(), nullptr, 0,
                                     &done)
               ? 1
               : 0;
}

int SensorQuery(DriverHandle handle, uint8_t sensorRegister, uint8_t* out, int n)
{
    Packet packet{};
    packet[0] = CmdSensorRead;
    packet[1] = sensorRegister;
    const int written = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (written != kTransferOk)
        return written;
    Packet reply{};
    const int status = ReadReplyTwice(handle, reply);
    if (n > 0 && out != nullptr)
        std::memcpy(out, reply.data(), std::min<size_t>(static_cast<size_t>(n), kPacketSize));
    return status;
}

int SensorCommand(DriverHandle handle, int n, const uint8_t* payload)
{
    Packet packet{};
    packet[0] = CmdSensorWrite;
    if (n > 0 && payload != nullptr)
        std::memcpy(packet.data() + 1, payload, std::min<size_t>(static_cast<size_t>(n), kPacketSize - 1));
    return WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
}

int SendCommand(const char* path, Packet packet)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return kTransferNoHandle;
    const int status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    DeviceClose(handle);
    return status;
}

int QueryCommand(const char* path, Packet packet, Packet& reply)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return kTransferNoHandle;
    int status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == kTransferOk)
        status = ReadReplyTwice(handle, reply);
    DeviceClose(handle);
    return status;
}

int SromRead(const char* path, uint8_t address, uint8_t& value)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return kTransferNoHandle;
    Packet packet{CmdSromRead, kSromBusAddress, 0x02, 0x01, kSromAddressHigh, address};
    int status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == kTransferOk) {
        platform::SleepMs(kSromReadPauseMs);
        Packet reply{};
        status = ReadReplyTwice(handle, reply);
        value = reply[0];
        platform::SleepMs(kSromReadPauseMs);
    }
    DeviceClose(handle);
    return status;
}

int SromWrite(const char* path, uint8_t address, uint8_t value)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return kTransferNoHandle;
    Packet packet{CmdSromWrite, kSromBusAddress, 0x03, kSromAddressHigh, address, value};
    const int status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == kTransferOk)
        platform::SleepMs(kSromWritePauseMs);
    DeviceClose(handle);
    return status;
}

}  // namespace quelix
