// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdio>
#include <random>

#include "platform/os/staged_file.h"
#include "platform/os/windows_path.h"

namespace quelix::platform {

namespace {

HANDLE AsHandle(intptr_t file)
{
    return reinterpret_cast<HANDLE>(file);
}

bool WriteFully(HANDLE file, const void* data, size_t size, uint64_t offset)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, &at) || written == 0)
            return false;
        bytes += written;
        size -= written;
        offset += written;
    }
    return true;
}

void DeleteTemporary(const std::string& temporary)
{
    std::wstring wide;
    if (WindowsPath(temporary, wide))
        DeleteFileW(wide.c_str());
}

}  // namespace

StagedFile::~StagedFile()
{
    Discard();
}

bool StagedFile::Open(const std::string& target)
{
    Discard();
    if (target.empty() || target.back() == '/' || target.back() == '\\')
        return false;
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.part", entropy());
        std::string temporary = target + suffix;
        std::wstring wide;
        if (!WindowsPath(temporary, wide))
            return false;
        // CREATE_NEW: a name someone else made is never written through.
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_ = reinterpret_cast<intptr_t>(file);
            failed_ = false;
            size_ = 0;
            target_ = target;
            temporary_ = std::move(temporary);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return false;
}

bool StagedFile::Write(const void* data, size_t size)
{
    if (file_ == kNoFile || failed_)
        return false;
    if (size == 0)
        return true;
    if (data == nullptr || !WriteFully(AsHandle(file_), data, size, size_)) {
        failed_ = true;
        return false;
    }
    size_ += size;
    return true;
}

bool StagedFile::WriteAt(uint64_t offset, const void* data, size_t size)
{
    if (file_ == kNoFile || failed_)
        return false;
    if (offset > size_ || size > size_ - offset || (size > 0 && data == nullptr)) {
        failed_ = true;
        return false;
    }
    if (size > 0 && !WriteFully(AsHandle(file_), data, size, offset)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool StagedFile::Truncate(uint64_t size)
{
    if (file_ == kNoFile || size > size_)
        return false;
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFilePointerEx(AsHandle(file_), end, nullptr, FILE_BEGIN) || !SetEndOfFile(AsHandle(file_))) {
        failed_ = true;
        return false;
    }
    size_ = size;
    failed_ = false;
    return true;
}

bool StagedFile::Commit()
{
    if (file_ == kNoFile)
        return false;
    bool ok = !failed_ && FlushFileBuffers(AsHandle(file_));
    ok = CloseHandle(AsHandle(file_)) && ok;
    file_ = kNoFile;
    std::wstring from;
    std::wstring to;
    if (ok && WindowsPath(temporary_, from) && WindowsPath(target_, to) &&
        MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        temporary_.clear();
        return true;
    }
    DeleteTemporary(temporary_);
    temporary_.clear();
    return false;
}

void StagedFile::Discard()
{
    if (file_ != kNoFile) {
        CloseHandle(AsHandle(file_));
        file_ = kNoFile;
    }
    if (!temporary_.empty()) {
        DeleteTemporary(temporary_);
        temporary_.clear();
    }
    failed_ = false;
    size_ = 0;
}

}  // namespace quelix::platform
