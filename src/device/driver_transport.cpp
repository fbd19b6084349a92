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

PipeResult IssuePipeRequest(uint32_t code, DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                            uint32_t& done)
{
    if (buffer == nullptr)
        return PipeResult::NullBuffer;
    if (handle == platform::kNoDriverHandle)
        return PipeResult::NullHandle;
    const uint32_t input = pipe;
    done = 0;
    return platform::DeviceIoControl(handle, code, &input, sizeof input, buffer, length, &done)
               ? PipeResult::Ok
               : PipeResult::Failed;
}

TransferStatus StatusOf(PipeResult result, uint32_t done, uint32_t length)
{
    return (result == PipeResult::Ok && done == length) ? TransferStatus::Ok : TransferStatus::Failed;
}

// Opens a fresh handle on the path; false when no handle could be had.
bool OpenFresh(const char* path, DriverHandle& handle)
{
    handle = platform::kNoDriverHandle;
    return DeviceOpen(path, handle);
}

}  // namespace

TransferStatus ReadReplyTwice(DriverHandle handle, Packet& reply)
{
    // The first read's status is not looked at: the second read decides.
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

bool DeviceClose(DriverHandle& handle)
{
    if (handle == platform::kNoDriverHandle)
        return false;
    platform::CloseDriver(handle);
    handle = platform::kNoDriverHandle;
    return true;
}

PipeResult PipeTransfer(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& done,
                        int direction)
{
    const uint32_t code = direction == 1 ? driver_wire::kPipeTransferIn : driver_wire::kPipeTransferOut;
    return IssuePipeRequest(code, handle, pipe, length, buffer, done);
}

PipeResult PipeTransferLarge(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                             uint32_t& done)
{
    return IssuePipeRequest(driver_wire::kPipeTransferLarge, handle, pipe, length, buffer, done);
}

TransferStatus ReadPipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer)
{
    if (handle == platform::kNoDriverHandle)
        return TransferStatus::NoHandle;
    uint32_t done = 0;
    const PipeResult result = PipeTransfer(handle, pipe, length, buffer, done, 0);
    return StatusOf(result, done, length);
}

TransferStatus WritePipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer)
{
    if (handle == platform::kNoDriverHandle)
        return TransferStatus::NoHandle;
    uint32_t done = 0;
    const PipeResult result = PipeTransfer(handle, pipe, length, buffer, done, 1);
    return StatusOf(result, done, length);
}

bool SetDriverTimeout(DriverHandle handle, uint32_t milliseconds)
{
    if (handle == platform::kNoDriverHandle)
        return false;
    std::array<uint8_t, driver_wire::kTimeoutBlockSize> block{};
    const uint32_t one = 1;
    std::memcpy(block.data(), &one, sizeof one);
    std::memcpy(block.data() + 4, &milliseconds, sizeof milliseconds);
    uint32_t done = 0;
    return platform::DeviceIoControl(handle, driver_wire::kSetTimeout, block.data(), block.size(), nullptr, 0,
                                     &done);
}

TransferStatus SensorQuery(DriverHandle handle, uint8_t sensorRegister, uint8_t* out, int n)
{
    Packet packet{};
    packet[0] = CmdSensorRead;
    packet[1] = sensorRegister;
    const TransferStatus written = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (written != TransferStatus::Ok)
        return written;
    Packet reply{};
    const TransferStatus status = ReadReplyTwice(handle, reply);
    if (n > 0 && out != nullptr)
        std::memcpy(out, reply.data(), std::min<size_t>(static_cast<size_t>(n), kPacketSize));
    return status;
}

TransferStatus SensorCommand(DriverHandle handle, int n, const uint8_t* payload)
{
    Packet packet{};
    packet[0] = CmdSensorWrite;
    if (n > 0 && payload != nullptr)
        std::memcpy(packet.data() + 1, payload, std::min<size_t>(static_cast<size_t>(n), kPacketSize - 1));
    return WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
}

TransferStatus SendCommand(const char* path, Packet packet)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return TransferStatus::NoHandle;
    const TransferStatus status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    DeviceClose(handle);
    return status;
}

TransferStatus QueryCommand(const char* path, Packet packet, Packet& reply)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return TransferStatus::NoHandle;
    TransferStatus status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == TransferStatus::Ok)
        status = ReadReplyTwice(handle, reply);
    DeviceClose(handle);
    return status;
}

TransferStatus SromRead(const char* path, uint8_t address, uint8_t& value)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return TransferStatus::NoHandle;
    Packet packet{CmdSromRead, kSromBusAddress, 0x02, 0x01, kSromAddressHigh, address};
    TransferStatus status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == TransferStatus::Ok) {
        platform::SleepMs(kSromReadPauseMs);
        Packet reply{};
        status = ReadReplyTwice(handle, reply);
        value = reply[0];
        platform::SleepMs(kSromReadPauseMs);
    }
    DeviceClose(handle);
    return status;
}

TransferStatus SromWrite(const char* path, uint8_t address, uint8_t value)
{
    DriverHandle handle;
    if (!OpenFresh(path, handle))
        return TransferStatus::NoHandle;
    Packet packet{CmdSromWrite, kSromBusAddress, 0x03, kSromAddressHigh, address, value};
    const TransferStatus status = WritePipe(handle, kCommandPipe, kPacketSize, packet.data());
    if (status == TransferStatus::Ok)
        platform::SleepMs(kSromWritePauseMs);
    DeviceClose(handle);
    return status;
}

}  // namespace quelix
