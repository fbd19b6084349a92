// SPDX-License-Identifier: MIT
// What the camera does with one 64-byte command packet from the command
// pipe: register and ID-memory access, sample width and transfer length.
// Commands that act on the frame readout are handed back to the caller.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "sim/camera_registers.h"

namespace quelix::sim {

inline constexpr size_t kPacketBytes = 64;
using Packet = std::array<uint8_t, kPacketBytes>;

enum class ReadoutAction { None, StartFrame, ResetTransfer, Init };

struct CommandOutcome {
    bool accepted = false;  // false: the camera refuses the packet (the write fails)
    ReadoutAction action = ReadoutAction::None;
    std::optional<Packet> reply;  // the answer a query leaves for the reply pipe
};

// Applies the packet to the registers. Unknown command codes and ID-memory
// commands with a wrong bus header are refused and change nothing.
CommandOutcome ApplyCommand(CameraRegisters& registers, std::span<const uint8_t, kPacketBytes> packet);

}  // namespace quelix::sim
