// SPDX-License-Identifier: MIT
// The registry on Windows: the real HKEY_CURRENT_USER, one key opened per
// call, DWORD values written with RegSetValueExW.
#include <windows.h>

#include "platform/registry/registry.h"
#include "platform/text/text.h"

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

// The wide text of a key path below the root, or of a value name.
bool Wide(std::string_view text, std::wstring& wide)
{
    std::u16string units;
    if (!Utf8ToUtf16(text, units))
        return false;
    wide.assign(units.begin(), units.end());
    return true;
}

bool SubKeyOf(const std::string& full, std::wstring& subKey)
{
    return full.size() > kRoot.size() && full.compare(0, kRoot.size(), kRoot) == 0 &&
           full[kRoot.size()] == '\\' && Wide(std::string_view(full).substr(kRoot.size() + 1), subKey);
}

// An open key that closes itself.
class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool OpenKey(const std::string& full, REGSAM access, KeyHandle& key)
{
    std::wstring subKey;
    return SubKeyOf(full, subKey) &&
           RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, access, key.Out()) == ERROR_SUCCESS;
}

bool CreateKey(const std::string& full, KeyHandle& key)
{
    std::wstring subKey;
    return SubKeyOf(full, subKey) &&
           RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::optional<RegistryKey> RegistryKey::OpenFull(std::string full)
{
    KeyHandle key;
    if (!OpenKey(full, KEY_QUERY_VALUE, key))
        return std::nullopt;
    return RegistryKey(std::move(full));
}

std::optional<RegistryKey> RegistryKey::CreateFull(std::string full)
{
    KeyHandle key;
    if (!CreateKey(full, key))
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
    KeyHandle key;
    std::wstring wideName;
    if (!OpenKey(path_, KEY_QUERY_VALUE, key) || !Wide(name, wideName))
        return std::nullopt;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key.Get(), wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

bool RegistryKey::WriteDwords(std::span<const RegistryValue> values) const
{
    KeyHandle key;
    if (!CreateKey(path_, key))
        return false;
    bool ok = true;
    for (const auto& [name, value] : values) {
        std::wstring wideName;
        const DWORD data = value;
        ok = Wide(name, wideName) &&
             RegSetValueExW(key.Get(), wideName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data) == ERROR_SUCCESS &&
             ok;
    }
    return ok;
}

}  // namespace quelix::platform
