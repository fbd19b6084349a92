// SPDX-License-Identifier: MIT
#include "platform/os/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os/file_descriptor.h"

namespace quelix::platform {

namespace {

// Reads until `size` bytes or the end of the file; -1 on a read error.
ssize_t ReadFully(int fd, uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, data + done, size - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

bool ReadFileUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, bool& longer)
{
    bytes.clear();
    longer = false;
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    // Non-blocking, so that opening a named pipe does not wait for a writer.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    // One byte more than the limit tells a longer file, even one that grows
    // while it is read.
    bytes.resize(limit + 1);
    const ssize_t got = ReadFully(file.get(), bytes.data(), bytes.size());
    if (got < 0) {
        bytes.clear();
        return false;
    }
    longer = static_cast<size_t>(got) > limit;
    bytes.resize(longer ? limit : static_cast<size_t>(got));
    return true;
}

}  // namespace quelix::platform
