// SPDX-License-Identifier: MIT
// Command codes of the 64-byte packets the camera takes on its command pipe.
#pragma once

#include <cstdint>

namespace quelix {

enum CommandCode : uint8_t {
    CmdResetTransfer = 0x01,
    CmdStartFrame = 0x02,
    CmdSensorWrite = 0x04,
    CmdInit = 0x06,
    CmdSetTransferSize = 0x09,
    CmdSetWordMode = 0x0A,
    CmdSensorRead = 0x0C,
    CmdFpgaWrite = 0x25,
    CmdFpgaRead = 0x26,
    CmdSromWrite = 0x40,
    CmdSromRead = 0x41,
};

// Bytes 1 to 3 of the ID-memory commands: the memory's address on the
// camera's serial bus, the count of bytes written to it, and (read) the count
// read back; then 0x18 and the ID address form the memory address.
inline constexpr uint8_t kSromBusAddress = 0x51;
inline constexpr uint8_t kSromAddressHigh = 0x18;

}  // namespace quelix
