// SPDX-License-Identifier: MIT
// The registry file's content: the text of a Windows registry export
// ("REGEDIT4", "[HKEY_CURRENT_USER\...]" sections, "Name"=dword:0000002a
// values), parsed into sections in file order and written back the same way.
// Lines this system does not use (other value types, comments, other roots)
// are kept as they stand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelix::platform {

struct RegistryLine {
    std::string name;  // unescaped value name ("" for the default value)
    std::string text;  // the whole line(s) as written, without the final newline
    bool isValue = false;
};

struct RegistrySection {
    std::string key;  // full key path as written, e.g. HKEY_CURRENT_USER\Software\Korvex
    std::vector<RegistryLine> lines;
};

class RegistryDocument {
public:
    // false when the text is not a registry export this system can read.
    static bool Parse(std::string_view text, RegistryDocument& document);
    std::string Format() const;

    // Keys compare case-insensitively. A key exists when it has a section or
    // when a section lies below it.
    bool HasKey(std::string_view key) const;
    // Adds sections for the key and every missing parent below the root.
    void CreateKey(std::string_view key);
    std::optional<uint32_t> ReadDword(std::string_view key, std::string_view name) const;
    // Sets or adds the value, creating the key when needed.
    void WriteDword(std::string_view key, std::string_view name, uint32_t value);

private:
    RegistrySection* FindSection(std::string_view key);
    const RegistrySection* FindSection(std::string_view key) const;

    std::vector<std::string> preamble_;  // lines before the first section after the header
    std::vector<RegistrySection> sections_;
};

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace quelix::platform
