// SPDX-License-Identifier: MIT
// The current user's registry: keys below HKEY_CURRENT_USER holding DWORD
// values. On Windows these are the real registry's keys (registry_win.cpp);
// elsewhere they are kept in one text file in registry export format so that it can be
// read, edited and imported into a Windows registry as it is.
//
// The file is $QUELIX_REGISTRY, else ${XDG_CONFIG_HOME:-$HOME/.config}/quelix/
// registry.reg. Several processes may use it at once: every change is a
// locked read-modify-write that replaces the file atomically, so no change is
// lost and no reader sees half a file (readers take no lock). A missing file
// is an empty registry; a file that cannot be parsed is moved aside with a
// ".bad" suffix by the next change and reads as empty; a file that exists but
// cannot be read reads as empty and fails every change, which leaves it as it
// is. A change that cannot take the lock in time (registry_file.h) fails.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace quelix::platform {

using RegistryValue = std::pair<std::string_view, uint32_t>;

// An open key, named by its path below HKEY_CURRENT_USER ("Software\Korvex").
class RegistryKey {
public:
    // The key if it exists (Windows: RegOpenKeyEx).
    static std::optional<RegistryKey> Open(std::string_view path);
    // The key, created with its missing parents (Windows: RegCreateKeyEx);
    // nullopt when the file cannot be written.
    static std::optional<RegistryKey> Create(std::string_view path);

    std::optional<RegistryKey> OpenSubKey(std::string_view name) const;
    std::optional<RegistryKey> CreateSubKey(std::string_view name) const;

    // The value if it exists and is a DWORD.
    std::optional<uint32_t> ReadDword(std::string_view name) const;
    // Writes all values in one change; false when the file cannot be written.
    bool WriteDwords(std::span<const RegistryValue> values) const;
    bool WriteDwords(std::initializer_list<RegistryValue> values) const
    {
        return WriteDwords(std::span(values.begin(), values.size()));
    }
    bool WriteDword(std::string_view name, uint32_t value) const { return WriteDwords({{name, value}}); }

    const std::string& Path() const { return path_; }

private:
    explicit RegistryKey(std::string fullPath) : path_(std::move(fullPath)) {}
    static std::optional<RegistryKey> OpenFull(std::string full);
    static std::optional<RegistryKey> CreateFull(std::string full);
    std::string path_;  // with the HKEY_CURRENT_USER root
};

#ifndef _WIN32
// Where the registry file lives, from the environment (Windows has the real registry).
std::string RegistryFilePath();
#endif

}  // namespace quelix::platform
