#include "platform/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "platform/file_descriptor.h"
#include "platform/registry_document.h"

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

bool MakeDirectories(const std::string& directory)
{
    for (size_t slash = directory.find('/', 1);; slash = directory.find('/', slash + 1)) {
        const std::string prefix = directory.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Reads the whole file; false when it does not exist or cannot be read.
bool ReadFile(const std::string& path, std::string& text)
{
    text.clear();
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0)
        return false;
    char chunk[8192];
    for (;;) {
        const ssize_t got = read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text.append(chunk, static_cast<size_t>(got));
    }
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

// The document as it is now; an unreadable or unparsable file reads as empty.
RegistryDocument Snapshot()
{
    RegistryDocument document;
    std::string text;
    if (ReadFile(RegistryFilePath(), text) && !RegistryDocument::Parse(text, document))
        document = RegistryDocument{};
    return document;
}

// Applies one change under the registry's file lock and replaces the file.
bool Modify(const std::function<void(RegistryDocument&)>& change)
{
    const std::string path = RegistryFilePath();
    const std::string directory = DirectoryOf(path);
    if (!MakeDirectories(directory))
        return false;
    const FileDescriptor lock(open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.get() < 0)
        return false;
    while (flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }
    // The lock is released when `lock` closes.

    RegistryDocument document;
    std::string text;
    if (ReadFile(path, text) && !RegistryDocument::Parse(text, document)) {
        if (rename(path.c_str(), (path + ".bad").c_str()) != 0)
            return false;
        document = RegistryDocument{};
    }
    change(document);

    const std::string temporary = path + ".tmp";
    {
        const FileDescriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
        if (out.get() < 0 || !WriteAll(out.get(), document.Format()) || fsync(out.get()) != 0) {
            unlink(temporary.c_str());
            return false;
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    const FileDescriptor dir(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        fsync(dir.get());
    return true;
}

}  // namespace

std::string RegistryFilePath()
{
    if (const char* explicitPath = std::getenv("QUELIX_REGISTRY"); explicitPath != nullptr && *explicitPath != '\0')
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

std::optional<RegistryKey> RegistryKey::Open(std::string_view path) { return OpenFull(Join(kRoot, path)); }

std::optional<RegistryKey> RegistryKey::Create(std::string_view path) { return CreateFull(Join(kRoot, path)); }

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
