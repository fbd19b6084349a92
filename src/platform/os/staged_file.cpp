// SPDX-License-Identifier: MIT
#include "platform/os/staged_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace quelix::platform {

namespace {

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool WriteFully(int fd, const void* data, size_t size, uint64_t offset)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        bytes += written;
        size -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
    return true;
}

}  // namespace

StagedFile::~StagedFile()
{
    Discard();
}

bool StagedFile::Open(const std::string& target)
{
    Discard();
    if (target.empty() || target.back() == '/' || target.find('\0') != std::string::npos)
        return false;
    std::random_device entropy;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.part", entropy());
        std::string temporary = target + suffix;
        // The mode goes through the umask like any new file's.
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file_ = fd;
            failed_ = false;
            size_ = 0;
            target_ = target;
            temporary_ = std::move(temporary);
            return true;
        }
        if (errno != EEXIST)
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
    if (data == nullptr || !WriteFully(static_cast<int>(file_), data, size, size_)) {
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
    if (size > 0 && !WriteFully(static_cast<int>(file_), data, size, offset)) {
        failed_ = true;
        return false;
    }
    return true;
}

bool StagedFile::Truncate(uint64_t size)
{
    if (file_ == kNoFile || size > size_)
        return false;
    if (ftruncate(static_cast<int>(file_), static_cast<off_t>(size)) != 0) {
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
    bool ok = !failed_ && fsync(static_cast<int>(file_)) == 0;
    ok = close(static_cast<int>(file_)) == 0 && ok;
    file_ = kNoFile;
    if (ok && rename(temporary_.c_str(), target_.c_str()) == 0) {
        const int dir = open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
        temporary_.clear();
        return true;
    }
    unlink(temporary_.c_str());
    temporary_.clear();
    return false;
}

void StagedFile::Discard()
{
    if (file_ != kNoFile) {
        close(static_cast<int>(file_));
        file_ = kNoFile;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
    failed_ = false;
    size_ = 0;
}

}  // namespace quelix::platform
