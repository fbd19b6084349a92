// SPDX-License-Identifier: MIT
// The registry file parser on any bytes: parsing never fails unsafely, and
// what it accepts formats back into text that parses to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry/registry_document.h"

using quelix::platform::RegistryDocument;

namespace {

constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Korvex\\Quelix205KWMXSdk\\Camera_00";

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryDocument document;
    if (!RegistryDocument::Parse(text, document))
        return 0;
    const std::string formatted = document.Format();
    RegistryDocument again;
    Require(RegistryDocument::Parse(formatted, again));
    Require(again.Format() == formatted);

    // Reads and writes on whatever was parsed.
    const auto before = document.ReadDword(kKey, "WaitTime");
    document.WriteDword(kKey, "WaitTime", 0xFFFFFFFFu);
    Require(document.ReadDword(kKey, "WaitTime") == 0xFFFFFFFFu);
    Require(document.HasKey(kKey));
    if (before)
        document.WriteDword(kKey, "WaitTime", *before);
    RegistryDocument written;
    Require(RegistryDocument::Parse(document.Format(), written));
    return 0;
}
