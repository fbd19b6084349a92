// SPDX-License-Identifier: MIT
#include "platform/registry/registry_document.h"

#include <cstdio>
#include <utility>

namespace quelix::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHeaderV5 = "Windows Registry Editor Version 5.00";

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view TrimRight(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    return line;
}

std::string_view TrimLeft(std::string_view line)
{
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

std::string EscapeName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// Parses `"name"=` or `@=` at the start of a value line; returns the position
// after '=' or npos when the line is not a value line.
size_t ParseValueName(std::string_view line, std::string& name)
{
    name.clear();
    if (line.size() >= 2 && line[0] == '@' && line[1] == '=')
        return 2;
    if (line.empty() || line[0] != '"')
        return std::string_view::npos;
    size_t i = 1;
    for (; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\') {
            if (++i == line.size())
                return std::string_view::npos;
        }
        name += line[i];
    }
    if (i + 1 >= line.size() || line[i] != '"' || line[i + 1] != '=')
        return std::string_view::npos;
    return i + 2;
}

std::optional<uint32_t> ParseDword(std::string_view data)
{
    constexpr std::string_view kPrefix = "dword:";
    if (data.size() <= kPrefix.size() || data.size() > kPrefix.size() + 8 ||
        !EqualsIgnoreCase(data.substr(0, kPrefix.size()), kPrefix))
        return std::nullopt;
    uint32_t value = 0;
    for (char c : data.substr(kPrefix.size())) {
        c = FoldCase(c);
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::string DwordLine(std::string_view name, uint32_t value)
{
    char data[24];
    std::snprintf(data, sizeof data, "=dword:%08x", value);
    return '"' + EscapeName(name) + '"' + data;
}

// True when `key` lies strictly below `parent`.
bool IsBelow(std::string_view key, std::string_view parent)
{
    return key.size() > parent.size() && key[parent.size()] == '\\' &&
           EqualsIgnoreCase(key.substr(0, parent.size()), parent);
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

bool RegistryDocument::Parse(std::string_view text, RegistryDocument& document)
{
    document = RegistryDocument{};
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool headerSeen = false;
    std::string pending;  // a value continued over several lines with a final backslash
    while (!text.empty() || !pending.empty()) {
        const size_t end = text.find('\n');
        std::string_view raw = TrimRight(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (!pending.empty()) {
            // A blank line ends a continued value and is not part of it, so
            // the blank line written after each section never joins it.
            const bool ends = raw.empty();
            if (!ends) {
                pending += '\n';
                pending += raw;
                if (raw.back() == '\\' && !text.empty())
                    continue;
            }
            document.sections_.back().lines.back().text = std::move(pending);
            pending.clear();
            continue;
        }
        if (!headerSeen) {
            if (raw.empty())
                continue;
            if (raw != kHeader && raw != kHeaderV5)
                return false;
            headerSeen = true;
            continue;
        }
        const std::string_view line = TrimLeft(raw);
        if (line.empty() || line[0] == ';') {
            if (document.sections_.empty()) {
                if (!line.empty())
                    document.preamble_.emplace_back(raw);
            } else if (!line.empty()) {
                document.sections_.back().lines.push_back({"", std::string(raw), false});
            }
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3)
                return false;
            document.sections_.push_back({std::string(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        std::string name;
        if (document.sections_.empty() || ParseValueName(line, name) == std::string_view::npos)
            return false;
        document.sections_.back().lines.push_back({std::move(name), std::string(line), true});
        if (line.back() == '\\' && !text.empty())
            pending = line;
    }
    return headerSeen;
}

std::string RegistryDocument::Format() const
{
    std::string out(kHeader);
    out += "\n\n";
    for (const std::string& line : preamble_)
        out += line + "\n";
    for (const RegistrySection& section : sections_) {
        out += '[' + section.key + "]\n";
        for (const RegistryLine& line : section.lines)
            out += line.text + "\n";
        out += '\n';
    }
    return out;
}

const RegistrySection* RegistryDocument::FindSection(std::string_view key) const
{
    for (const RegistrySection& section : sections_) {
        if (EqualsIgnoreCase(section.key, key))
            return &section;
    }
    return nullptr;
}

RegistrySection* RegistryDocument::FindSection(std::string_view key)
{
    return const_cast<RegistrySection*>(std::as_const(*this).FindSection(key));
}

bool RegistryDocument::HasKey(std::string_view key) const
{
    for (const RegistrySection& section : sections_) {
        if (EqualsIgnoreCase(section.key, key) || IsBelow(section.key, key))
            return true;
    }
    return false;
}

void RegistryDocument::CreateKey(std::string_view key)
{
    // Every parent below the root gets its own section, as a registry export
    // lists them, so that the file imports into a real registry as it is.
    size_t next = key.find('\\');
    while (next != std::string_view::npos) {
        next = key.find('\\', next + 1);
        const std::string_view prefix = key.substr(0, next);
        if (FindSection(prefix) == nullptr)
            sections_.push_back({std::string(prefix), {}});
    }
}

std::optional<uint32_t> RegistryDocument::ReadDword(std::string_view key, std::string_view name) const
{
    const RegistrySection* section = FindSection(key);
    if (section == nullptr)
        return std::nullopt;
    for (const RegistryLine& line : section->lines) {
        if (line.isValue && EqualsIgnoreCase(line.name, name)) {
            std::string ignored;
            const size_t dataStart = ParseValueName(line.text, ignored);
            return ParseDword(std::string_view(line.text).substr(dataStart));
        }
    }
    return std::nullopt;
}

void RegistryDocument::WriteDword(std::string_view key, std::string_view name, uint32_t value)
{
    CreateKey(key);
    RegistrySection* section = FindSection(key);
    for (RegistryLine& line : section->lines) {
        if (line.isValue && EqualsIgnoreCase(line.name, name)) {
            line.text = DwordLine(line.name, value);
            return;
        }
    }
    section->lines.push_back({std::string(name), DwordLine(name, value), true});
}

}  // namespace quelix::platform
