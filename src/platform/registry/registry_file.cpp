// SPDX-License-Identifier: MIT
#include "platform/registry/registry_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/os/clock.h"

namespace quelix::platform {

namespace {

constexpr uint32_t kLockPollMs = 10;
// After a wait for the lock ran out, its holder is taken to be stuck (a
// stopped process): for this long, changes try the lock once instead of
// waiting again, so a release that makes several changes waits out one
// deadline, not one per change.
constexpr uint64_t kStuckLockNs = 10'000'000'000;
std::atomic<uint64_t> stuckLockUntilNs{0};
constexpr int kTemporaryAttempts = 16;

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

// A new file beside `path` under a name of its own; -1 when none can be made.
int CreateTemporary(const std::string& path, std::string& temporary)
{
    std::random_device entropy;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(entropy()));
        temporary = path + suffix;
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

RegistryFileState ReadRegistryFile(const std::string& path, RegistryFileContent& content)
{
    content = RegistryFileContent{};
    // Non-blocking, so that a named pipe at the path does not wait for a writer.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.get() < 0)
        return errno == ENOENT ? RegistryFileState::missing : RegistryFileState::failed;
    struct stat status {};
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<uint64_t>(status.st_size) > kRegistryFileLimit)
        return RegistryFileState::failed;
    content.mode = status.st_mode & 0777;
    // A file that grows past the limit while it is read is refused as well.
    char chunk[8192];
    for (;;) {
        const ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return RegistryFileState::failed;
        if (got == 0)
            return RegistryFileState::read;
        if (static_cast<size_t>(got) > kRegistryFileLimit - content.text.size())
            return RegistryFileState::failed;
        content.text.append(chunk, static_cast<size_t>(got));
    }
}

bool MakeRegistryDirectories(const std::string& path)
{
    const std::string directory = DirectoryOf(path);
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

RegistryFileLock::RegistryFileLock(const std::string& path)
    : file_(open((path + ".lock").c_str(),
                 O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600))
{
    if (file_.get() < 0)
        return;
    const uint64_t start = MonotonicNs();
    const bool stuck = start < stuckLockUntilNs.load();
    const uint64_t deadline = stuck ? start : start + uint64_t{kRegistryLockWaitMs} * 1000000;
    for (;;) {
        if (flock(file_.get(), LOCK_EX | LOCK_NB) == 0) {
            held_ = true;
            stuckLockUntilNs = 0;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return;
        if (const uint64_t now = MonotonicNs(); now >= deadline) {
            if (!stuck)
                stuckLockUntilNs = now + kStuckLockNs;
            return;
        }
        SleepMs(kLockPollMs);
    }
}

bool ReplaceRegistryFile(const std::string& path, const std::string& text, mode_t mode)
{
    if (text.size() > kRegistryFileLimit)
        return false;
    std::string temporary;
    {
        const FileDescriptor out(CreateTemporary(path, temporary));
        if (out.get() < 0)
            return false;
        // fchmod, unlike open, does not go through the umask.
        if (fchmod(out.get(), mode) != 0 || !WriteAll(out.get(), text) || fsync(out.get()) != 0) {
            unlink(temporary.c_str());
            return false;
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    const FileDescriptor directory(open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0)
        fsync(directory.get());
    return true;
}

}  // namespace quelix::platform
