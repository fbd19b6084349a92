// SPDX-License-Identifier: MIT
// Text conversion between the system code page (UTF-8) and wide text
// (UTF-16 code units; on Windows the system code page is the ANSI code page,
// CP_ACP). Malformed input (bad UTF-8 sequences, overlong forms,
// encoded surrogates, unpaired UTF-16 surrogates) fails the conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "QuelixTypes.h"

namespace quelix::platform {

bool Utf8ToUtf16(std::string_view in, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view in, std::string& out);

// The code units of a zero-terminated wide string as the C interface passes it.
std::u16string_view WideView(const QUELIX_WCHAR* text);

}  // namespace quelix::platform
