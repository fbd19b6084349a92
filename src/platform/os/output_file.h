// SPDX-License-Identifier: MIT
// COutputFile: the file object behind every file the system writes (images,
// AVI recordings, mask files). OpenForWrite stages the file beside its
// target; the writes go to the staged file, and Commit puts it in place. A
// file closed without Commit, or one whose writes failed, leaves nothing
// behind and keeps an existing file of that name, so a failed save never
// reports success and never destroys what was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os/staged_file.h"

namespace quelix {

class COutputFile {
public:
    // Closes whatever the object held, then stages `name` (UTF-8). False when
    // the file cannot be created there.
    bool OpenForWrite(const std::string& name);
    bool IsOpen() const { return file_.IsOpen(); }

    // Appends bytes; false on a short or failed write (disk full, I/O error).
    bool Write(const void* data, size_t size);
    // Overwrites bytes already written, for headers patched at the end.
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    // Bytes written so far.
    uint64_t Size() const { return file_.Size(); }
    // Cuts the file back to `size` bytes and forgets a failed write, for a
    // writer that ends its file at the last whole record it wrote.
    bool Truncate(uint64_t size) { return file_.Truncate(size); }

    // Puts the complete file in place; false when any write, the flush or
    // the rename failed (the target is then left as it was).
    bool Commit() { return file_.Commit(); }
    // Drops an uncommitted file.
    void Close() { file_.Discard(); }

private:
    platform::StagedFile file_;
};

}  // namespace quelix
