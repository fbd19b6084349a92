// SPDX-License-Identifier: MIT
#include "platform/text/text.h"

namespace quelix::platform {

namespace {

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Decodes one code point starting at in[i]; advances i. false when malformed.
bool DecodeUtf8(std::string_view in, size_t& i, char32_t& codePoint)
{
    const auto lead = static_cast<unsigned char>(in[i]);
    size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        ++i;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return false;
    }
    if (in.size() - i < length)
        return false;
    for (size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(in[i + k]);
        if (!IsContinuation(byte))
            return false;
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return false;
    i += length;
    return true;
}

void AppendUtf8(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

bool Utf8ToUtf16(std::string_view in, std::u16string& out)
{
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size();) {
        char32_t codePoint = 0;
        if (!DecodeUtf8(in, i, codePoint))
            return false;
        if (codePoint < 0x10000) {
            out += static_cast<char16_t>(codePoint);
        } else {
            codePoint -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
            out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
        }
    }
    return true;
}

bool Utf16ToUtf8(std::u16string_view in, std::string& out)
{
    out.clear();
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        const char16_t unit = in[i];
        if (IsLowSurrogate(unit))
            return false;
        if (!IsHighSurrogate(unit)) {
            AppendUtf8(unit, out);
            continue;
        }
        if (i + 1 == in.size() || !IsLowSurrogate(in[i + 1]))
            return false;
        const char32_t codePoint = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (in[i + 1] - 0xDC00);
        AppendUtf8(codePoint, out);
        ++i;
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
