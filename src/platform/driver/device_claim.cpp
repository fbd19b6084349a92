// SPDX-License-Identifier: MIT
#include "platform/driver/device_claim.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/driver/driver_connection.h"

namespace quelix::platform {

namespace {

// The claim file ".NAME.claim" beside the device node NAME; empty for a
// path that names no node.
std::string ClaimPath(const char* driverPath)
{
    const std::string node = NodePath(driverPath);
    const size_t slash = node.rfind('/');
    if (slash == std::string::npos)
        return {};
    return node.substr(0, slash + 1) + "." + node.substr(slash + 1) + ".claim";
}

// Opens (making it when missing) the claim file, never through a symbolic
// link. Readable by every user, since flock needs only an open descriptor.
int OpenClaimFile(const char* driverPath)
{
    const std::string path = ClaimPath(driverPath);
    if (path.empty())
        return -1;
    int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EACCES)
        fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return -1;
    }
    // The creator's umask must not keep other users from the lock.
    if (status.st_uid == geteuid() && (status.st_mode & 0044) != 0044)
        fchmod(fd, 0644);
    return fd;
}

}  // namespace

bool DeviceClaim::Take(const char* driverPath)
{
    Release();
    const int fd = OpenClaimFile(driverPath);
    if (fd < 0)
        return true;
    int locked = -1;
    do
        locked = flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return !busy;
    }
    claim_ = fd;
    return true;
}

void DeviceClaim::Release()
{
    if (claim_ == kNoClaim)
        return;
    close(static_cast<int>(claim_));  // closing the last descriptor of the open file ends its lock
    claim_ = kNoClaim;
}

bool DeviceClaim::HeldElsewhere(const char* driverPath)
{
    DeviceClaim probe;
    return !probe.Take(driverPath);
}

}  // namespace quelix::platform
