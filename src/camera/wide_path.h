// SPDX-License-Identifier: MIT
// Wide paths of the exports: UTF-16 converted to the system code page
// (UTF-8) into at most 1023 bytes, as the library's path buffers hold.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text/text.h"

namespace quelix {

inline constexpr size_t kMaxNarrowPath = 1023;

// False for a null path, malformed UTF-16 (an unpaired surrogate) or a path
// longer than kMaxNarrowPath bytes once converted.
inline bool NarrowPath(const QUELIX_WCHAR* widePath, std::string& path)
{
    return widePath != nullptr && platform::Utf16ToUtf8(platform::WideView(widePath), path) &&
           path.size() <= kMaxNarrowPath;
}

}  // namespace quelix
