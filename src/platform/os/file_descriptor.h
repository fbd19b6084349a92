// SPDX-License-Identifier: MIT
// Closes a POSIX file descriptor when it goes out of scope.
#pragma once

#include <unistd.h>

namespace quelix::platform {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace quelix::platform
