// SPDX-License-Identifier: MIT
// A file written under a temporary name in its target's directory and renamed
// over the target only once it is complete: a failed write (disk full, I/O
// error, a crash) leaves no half file and keeps an existing file of that name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quelix::platform {

class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file beside `target` (a UTF-8 path). False when the
    // directory does not exist or cannot be written; a file held before is
    // discarded first.
    bool Open(const std::string& target);
    bool IsOpen() const { return file_ != kNoFile; }

    // Appends at the end of what was written. False, and the file is marked
    // failed, on any short or failed write.
    bool Write(const void* data, size_t size);
    // Overwrites bytes already written (headers patched at the end). The
    // range must lie within the bytes written so far.
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    uint64_t Size() const { return size_; }
    bool Failed() const { return failed_; }
    // Cuts the file back to `size` bytes (no more than were written) and
    // clears an earlier write failure, so that a writer whose write failed
    // can end the file at its last whole record. False when the cut fails.
    bool Truncate(uint64_t size);

    // Flushes the file to disk and renames it over the target. False, and
    // the temporary removed, when any write failed or the flush or rename did.
    bool Commit();
    // Removes the temporary file without touching the target.
    void Discard();

private:
    // The open temporary: a descriptor on POSIX systems, a HANDLE on Windows.
    using FileId = intptr_t;
    static constexpr FileId kNoFile = -1;
    FileId file_ = kNoFile;
    bool failed_ = false;
    uint64_t size_ = 0;
    std::string target_;
    std::string temporary_;
};

}  // namespace quelix::platform
