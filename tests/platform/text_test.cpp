// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/text/text.h"

namespace quelix::platform {
namespace {

TEST(TextConversion, RoundTripsEveryPlane)
{
    const std::string utf8 = "camera \xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x93\xB7 end";  // é 日本 📷
    std::u16string wide;
    ASSERT_TRUE(Utf8ToUtf16(utf8, wide));
    EXPECT_EQ(wide, u"camera \u00E9 \u65E5\u672C \U0001F4F7 end");
    std::string back;
    ASSERT_TRUE(Utf16ToUtf8(wide, back));
    EXPECT_EQ(back, utf8);
}

TEST(TextConversion, RejectsUnpairedSurrogates)
{
    std::string out;
    EXPECT_FALSE(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83D)}, out)) << "high surrogate at the end";
    EXPECT_FALSE(Utf16ToUtf8(std::u16string{char16_t(0xD83D), u'a'}, out))
        << "high surrogate before a letter";
    EXPECT_FALSE(Utf16ToUtf8(std::u16string{char16_t(0xDCA0)}, out)) << "low surrogate alone";
}

TEST(TextConversion, RejectsMalformedUtf8)
{
    std::u16string out;
    EXPECT_FALSE(Utf8ToUtf16("\xC3", out)) << "truncated";
    EXPECT_FALSE(Utf8ToUtf16("\xC0\xAF", out)) << "overlong";
    EXPECT_FALSE(Utf8ToUtf16("\xED\xA0\x80", out)) << "encoded surrogate";
    EXPECT_FALSE(Utf8ToUtf16("\xF4\x90\x80\x80", out)) << "beyond U+10FFFF";
    EXPECT_FALSE(Utf8ToUtf16("\x80", out)) << "stray continuation byte";
    EXPECT_TRUE(Utf8ToUtf16("", out));
    EXPECT_TRUE(out.empty());
}

TEST(TextConversion, WideViewStopsAtTheTerminator)
{
    const uint16_t text[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(WideView(text), u"ab");
    EXPECT_TRUE(WideView(nullptr).empty());
}

}  // namespace
}  // namespace quelix::platform
