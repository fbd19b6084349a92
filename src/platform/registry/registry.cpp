// SPDX-License-Identifier: MIT
#include "platform/registry/registry.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "platform/registry/registry_document.h"
#include "platform/registry/registry_file.h"

namespace quelix::platform {

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string Join(std::string_view parent, std::string_view child)
{
    std::string path(parent);
    if (!child.empty()) {
        path += '\\';
        path += child;
    }
    return path;
}

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return ".";
}

// The document as it is now. A file that is missing, cannot be read or
// cannot be parsed reads as empty; only a change tells these apart.
RegistryDocument Snapshot()
{
    RegistryDocument document;
    RegistryFileContent content;
    if (ReadRegistryFile(RegistryFilePath(), content) == RegistryFileState::read &&
        !RegistryDocument::Parse(content.text, document))
        document = RegistryDocument{};
    return document;
}

// Applies one change under the registry's file lock and replaces the file.
// Only a missing file starts from an empty document: a file that exists but
// cannot be read fails the change and is left as it is, or the change would
// write one value over every other setting.
bool Modify(const std::function<void(RegistryDocument&)>& change)
{
    const std::string path = RegistryFilePath();
    if (!MakeRegistryDirectories(path))
        return false;
    const RegistryFileLock lock(path);
    if (!lock.Held())
        return false;
    RegistryFileContent content;
    const RegistryFileState state = ReadRegistryFile(path, content);
    if (state == RegistryFileState::failed)
        return false;
    RegistryDocument document;
    if (state == RegistryFileState::read && !RegistryDocument::Parse(content.text, document)) {
        // rename replaces a link planted at the ".bad" name, never its target.
        if (rename(path.c_str(), (path + ".bad").c_str()) != 0)
            return false;
        document = RegistryDocument{};
    }
    change(document);
    return ReplaceRegistryFile(path, document.Format(), content.mode);
}

}  // namespace

std::string RegistryFilePath()
{
    if (const char* explicitPath = std::getenv("QUELIX_REGISTRY");
        explicitPath != nullptr && *explicitPath != '\0')
        return explicitPath;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string base = (config != nullptr && *config != '\0') ? config : HomeDirectory() + "/.config";
    return base + "/quelix/registry.reg";
}

std::optional<RegistryKey> RegistryKey::OpenFull(std::string full)
{
    if (!Snapshot().HasKey(full))
        return std::nullopt;
    return RegistryKey(std::move(full));
}

std::optional<RegistryKey> RegistryKey::CreateFull(std::string full)
{
    if (!Snapshot().HasKey(full) &&
        !Modify([&full](RegistryDocument& document) { document.CreateKey(full); }))
        return std::nullopt;
    return RegistryKey(std::move(full));
}

std::optional<RegistryKey> RegistryKey::Open(std::string_view path)
{
    return OpenFull(Join(kRoot, path));
}

std::optional<RegistryKey> RegistryKey::Create(std::string_view path)
{
    return CreateFull(Join(kRoot, path));
}

std::optional<RegistryKey> RegistryKey::OpenSubKey(std::string_view name) const
{
    return OpenFull(Join(path_, name));
}

std::optional<RegistryKey> RegistryKey::CreateSubKey(std::string_view name) const
{
    return CreateFull(Join(path_, name));
}

std::optional<uint32_t> RegistryKey::ReadDword(std::string_view name) const
{
    return Snapshot().ReadDword(path_, name);
}

bool RegistryKey::WriteDwords(std::span<const RegistryValue> values) const
{
    return Modify([this, values](RegistryDocument& document) {
        for (const auto& [name, value] : values)
            document.WriteDword(path_, name, value);
    });
}

}  // namespace quelix::platform
