// SPDX-License-Identifier: MIT
#include "device/quelix_205kwmx_sdk.h"

#include <cstring>

#include "device/command_codes.h"
#include "device/register_map.h"

namespace quelix {

namespace {

constexpr char kBaseName[] = "Qlix205KWMX";
constexpr uint8_t kSampleWidth8 = 8;

}  // namespace

CQuelix205KWMXSdk::CQuelix205KWMXSdk(bool initialise)
{
    static_assert(sizeof kBaseName <= sizeof baseName);
    std::memcpy(baseName.data(), kBaseName, sizeof kBaseName);
    ProbeDevices();
    if (initialise)
        InitDevice(0);
    else
        AttachDevice(0);
}

void CQuelix205KWMXSdk::SetWordMode(int on)
{
    platform::CriticalSectionGuard guard(registerLock);
    wordMode = on;
    SendPacket({CmdSetWordMode, 1});
    FpgaWrite(kRegSampleWidth, static_cast<uint8_t>(kSampleWidth8 + (on != 0 ? 1 : 0)));
}

}  // namespace quelix
