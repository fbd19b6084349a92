// SPDX-License-Identifier: MIT
// The whole contact with the camera's driver: device handles, pipe requests
// and the 64-byte command packets. Every function works on a handle its
// caller passes in and keeps no state of its own.
#pragma once

#include <array>
#include <cstdint>

#include "platform/driver/driver_connection.h"

namespace quelix {

using platform::DriverHandle;

inline constexpr int kCommandPipe = 0;
inline constexpr int kReplyPipe = 1;
inline constexpr int kImagePipe = 2;
inline constexpr uint32_t kPacketSize = 64;

using Packet = std::array<uint8_t, kPacketSize>;

// Statuses of ReadPipe, WritePipe, SensorQuery, SensorCommand.
enum class TransferStatus : int {
    Ok = 0,
    NoHandle = 10,
    Failed = 12,
};

// Results of PipeTransfer and PipeTransferLarge.
enum class PipeResult : int {
    Ok = 0,
    Failed = -1,
    NullBuffer = -2,
    NullHandle = -3,
};

// Opens the driver path for writing. false only when no path is given; a
// device that cannot be opened still reports true and yields the invalid
// handle, on which every request fails.
bool DeviceOpen(const char* path, DriverHandle& handle);
// Closes and clears the handle; whether there was one.
bool DeviceClose(DriverHandle& handle);

// One pipe request: direction 1 issues the in-direct request, 0 the
// out-direct one; done receives the byte count the driver reports.
PipeResult PipeTransfer(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t& done,
                        int direction);
// The same with the request for large image reads.
PipeResult PipeTransferLarge(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer,
                             uint32_t& done);

// Ok when exactly `length` bytes moved, NoHandle without a handle, Failed
// otherwise.
TransferStatus ReadPipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer);
TransferStatus WritePipe(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer);

// Sets the driver's transfer time-out; the request's success (false without
// a handle).
bool SetDriverTimeout(DriverHandle handle, uint32_t milliseconds);

// Sensor register read: writes the query, reads the reply twice and copies
// min(n, 64) reply bytes to out; the status of the second read.
TransferStatus SensorQuery(DriverHandle handle, uint8_t sensorRegister, uint8_t* out, int n);
// Sensor register write of min(n, 63) payload bytes after the command code.
TransferStatus SensorCommand(DriverHandle handle, int n, const uint8_t* payload);

// Reads the reply to the query just written, twice into the same buffer; the
// second read decides, whatever the first did.
TransferStatus ReadReplyTwice(DriverHandle handle, Packet& reply);

// The command exchange on a fresh handle of the device path: the packet is
// written to the command pipe; a query then reads the reply twice, the second
// read deciding. NoHandle when no handle could be had, else the transfer
// status.
TransferStatus SendCommand(const char* path, Packet packet);
TransferStatus QueryCommand(const char* path, Packet packet, Packet& reply);
// The ID-memory exchanges with their pauses (6 ms around the reply reads,
// 10 ms after a write).
TransferStatus SromRead(const char* path, uint8_t address, uint8_t& value);
TransferStatus SromWrite(const char* path, uint8_t address, uint8_t value);

}  // namespace quelix
