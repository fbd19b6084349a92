// SPDX-License-Identifier: MIT
// On Windows the narrow text of the exports is in the system code page
// (CP_ACP), as the W functions' narrow twins take it.
#include <windows.h>

#include <climits>

#include "platform/text/text.h"

namespace quelix::platform {

bool Utf8ToUtf16(std::string_view in, std::u16string& out)
{
    out.clear();
    if (in.empty())
        return true;
    if (in.size() > INT_MAX)
        return false;
    const int inLength = static_cast<int>(in.size());
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in.data(), inLength, nullptr, 0);
    if (length <= 0)
        return false;
    out.resize(static_cast<size_t>(length));
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, in.data(), inLength,
                            reinterpret_cast<wchar_t*>(out.data()), length) != length) {
        out.clear();
        return false;
    }
    return true;
}

bool Utf16ToUtf8(std::u16string_view in, std::string& out)
{
    out.clear();
    if (in.empty())
        return true;
    if (in.size() > INT_MAX)
        return false;
    // An unpaired surrogate fails, as everywhere; the code page gives no
    // error of its own for it.
    for (size_t i = 0; i < in.size(); ++i) {
        const char16_t unit = in[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == in.size() || in[i + 1] < 0xDC00 || in[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(in.data());
    const int inLength = static_cast<int>(in.size());
    // A character the code page cannot hold fails instead of turning into '?'.
    BOOL usedDefault = FALSE;
    const int length =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, inLength, nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault)
        return false;
    out.resize(static_cast<size_t>(length));
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, inLength, out.data(), length, nullptr,
                            &usedDefault) != length ||
        usedDefault) {
        out.clear();
        return false;
    }
    return true;
}

std::u16string_view WideView(const QUELIX_WCHAR* text)
{
    if (text == nullptr)
        return {};
    size_t length = 0;
    while (text[length] != 0)
        ++length;
    return {reinterpret_cast<const char16_t*>(text), length};
}

}  // namespace quelix::platform
