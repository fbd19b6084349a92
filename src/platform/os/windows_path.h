// SPDX-License-Identifier: MIT
// A path of the system code page (CP_ACP) as the wide path the W file
// functions take. Only the Windows implementations include this.
#pragma once

#include <windows.h>

#include <string>

namespace quelix::platform {

// false for an empty path, one with a zero byte or one the code page cannot decode.
inline bool WindowsPath(const std::string& path, std::wstring& wide)
{
    wide.clear();
    if (path.empty() || path.find('\0') != std::string::npos || path.size() > 32767)
        return false;
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(),
                                           static_cast<int>(path.size()), nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<size_t>(length));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                               wide.data(), length) == length;
}

}  // namespace quelix::platform
