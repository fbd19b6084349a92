// SPDX-License-Identifier: MIT
// Where the camera's settings live in the current user's registry: one key
// per device number below the SDK's key, every value a DWORD.
#pragma once

#include <cstdio>
#include <iterator>
#include <string>

namespace quelix {

inline constexpr char kSdkRegistryKey[] = "Software\\Korvex\\Quelix205KWMXSdk";

// The values of a size preset "Size_NN", always read and written in this
// order: totalWidth, totalHeight, width, height, offsetX, offsetY, bufferCount.
inline constexpr const char* kSizeValueNames[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};

// "Camera_%02d", "Size_%02d", "Gain_%02d" and friends.
inline std::string NumberedKey(const char* prefix, int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s_%02d", prefix, number);
    return name;
}

}  // namespace quelix
