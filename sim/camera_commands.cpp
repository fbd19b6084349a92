// SPDX-License-Identifier: MIT
#include "sim/camera_commands.h"

#include "device/command_codes.h"

namespace quelix::sim {

namespace {

CommandOutcome Accepted(ReadoutAction action = ReadoutAction::None)
{
    return {true, action, std::nullopt};
}

CommandOutcome Answer(uint8_t first, uint8_t second = 0)
{
    Packet reply{};
    reply[0] = first;
    reply[1] = second;
    return {true, ReadoutAction::None, reply};
}

}  // namespace

CommandOutcome ApplyCommand(CameraRegisters& registers, std::span<const uint8_t, kPacketBytes> packet)
{
    const auto& p = packet;
    switch (p[0]) {
        case CmdResetTransfer:
            return Accepted(ReadoutAction::ResetTransfer);
        case CmdStartFrame:
            return Accepted(ReadoutAction::StartFrame);
        case CmdInit:
            return Accepted(ReadoutAction::Init);
        case CmdSensorWrite:
            WriteSensorRegister(registers, p[1], uint16_t(p[2] << 8 | p[3]));
            return Accepted();
        case CmdSensorRead: {
            const uint16_t value = registers.sensor[p[1]];
            return Answer(uint8_t(value >> 8), uint8_t(value));
        }
        case CmdSetTransferSize:
            SetTransferSamples(registers, uint32_t(p[1]) | uint32_t(p[2]) << 8 | uint32_t(p[3]) << 16 |
                                              uint32_t(p[4]) << 24);
            return Accepted();
        case CmdSetWordMode:
            if (p[1] > 1)
                return {};
            WriteFpgaRegister(registers, fpga::kSampleWidth,
                              p[1] == 1 ? fpga::kSampleWidth16 : fpga::kSampleWidth8);
            return Accepted();
        case CmdFpgaWrite:
            WriteFpgaRegister(registers, p[1], p[2]);
            return Accepted();
        case CmdFpgaRead:
            return Answer(registers.fpga[p[1]]);
        case CmdSromWrite:
            if (p[1] != kSromBusAddress || p[2] != 3 || p[3] != kSromAddressHigh)
                return {};
            registers.idMemory[p[4]] = p[5];
            return Accepted();
        case CmdSromRead:
            if (p[1] != kSromBusAddress || p[2] != 2 || p[3] != 1 || p[4] != kSromAddressHigh)
                return {};
            return Answer(registers.idMemory[p[5]]);
        default:
            return {};
    }
}

}  // namespace quelix::sim
