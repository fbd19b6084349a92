// SPDX-License-Identifier: MIT
#include <windows.h>

#include <algorithm>

#include "platform/os/input_file.h"
#include "platform/os/windows_path.h"

namespace quelix::platform {

bool ReadFileUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, bool& longer)
{
    bytes.clear();
    longer = false;
    std::wstring wide;
    if (!WindowsPath(path, wide))
        return false;
    HANDLE file =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Only a file on disk: no pipe, console or device.
    BY_HANDLE_FILE_INFORMATION information{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
              (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    // One byte more than the limit tells a longer file, even one that grows
    // while it is read.
    if (ok)
        bytes.resize(limit + 1);
    size_t done = 0;
    while (ok && done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD got = 0;
        ok = ReadFile(file, bytes.data() + done, chunk, &got, nullptr) != 0;
        if (!ok || got == 0)
            break;
        done += got;
    }
    CloseHandle(file);
    if (!ok) {
        bytes.clear();
        return false;
    }
    longer = done > limit;
    bytes.resize(longer ? limit : done);
    return true;
}

}  // namespace quelix::platform
