// SPDX-License-Identifier: MIT
// Reading a whole file that someone else wrote, with a bound on its size, so
// that a file of any length meets no buffer unchecked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelix::platform {

// Reads the regular file at `path` (UTF-8) into `bytes`, at most `limit`
// bytes of it. Returns false when the file cannot be opened or read, or is
// not a regular file (a directory, a pipe, a device). A file longer than
// `limit` gives its first `limit` bytes and sets `longer`.
bool ReadFileUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& bytes, bool& longer);

}  // namespace quelix::platform
