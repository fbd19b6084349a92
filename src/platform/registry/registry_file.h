// SPDX-License-Identifier: MIT
// The registry file on disk: read whole with a bound on its size, changed
// only under its lock file, and replaced through a temporary file of its own.
//
// The file usually lives in the user's own directory, but may be put in a
// shared one ($QUELIX_REGISTRY): no name beside it is trusted. The lock file
// is never followed through a symbolic link, every temporary is a new file
// with a name nobody could have planted, and a lock held by a process that
// has stopped makes a change fail after a while instead of waiting for ever.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os/file_descriptor.h"

namespace quelix::platform {

// The largest registry file read or written. The settings this system keeps
// take a few kilobytes.
inline constexpr size_t kRegistryFileLimit = size_t{4} << 20;

// How long a change waits for another process to release the lock.
inline constexpr uint32_t kRegistryLockWaitMs = 2000;

enum class RegistryFileState {
    read,     // the whole file is in the text
    missing,  // there is no file at the path (ENOENT): an empty registry
    failed,   // the file exists but could not be read, is not a regular
              // file or is larger than kRegistryFileLimit
};

struct RegistryFileContent {
    std::string text;
    mode_t mode = 0600;  // permission bits a replacement takes
};

RegistryFileState ReadRegistryFile(const std::string& path, RegistryFileContent& content);

// Creates the directories the file at `path` lives in; false when one cannot
// be made.
bool MakeRegistryDirectories(const std::string& path);

// Holds the registry's lock (a flock on `path` + ".lock") while it lives.
class RegistryFileLock {
public:
    // Waits up to kRegistryLockWaitMs for the lock; within ten seconds after
    // a wait ran out, tries it once without waiting. Held() is false when
    // the wait ran out or the lock file cannot be opened (a symbolic link
    // there is refused).
    explicit RegistryFileLock(const std::string& path);
    bool Held() const { return held_; }

private:
    FileDescriptor file_;
    bool held_ = false;
};

// Writes `text` to a new temporary file beside `path`, with `mode`, flushes it
// and renames it over `path`. False, with the temporary removed and `path`
// untouched, on any failure and for text longer than kRegistryFileLimit.
bool ReplaceRegistryFile(const std::string& path, const std::string& text, mode_t mode);

}  // namespace quelix::platform
