#include "platform/text_encoding.h"

#include <gtest/gtest.h>

using Platform::utf16_to_utf8;
using Platform::utf8_to_utf16;

TEST(TextEncoding, Utf16ToUtf8CoversEveryLengthAndPairsSurrogates)
{
    EXPECT_EQ(utf16_to_utf8(u"A\u00e9\u20ac"), "A\xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(utf16_to_utf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
    // A lone surrogate (high or low) is replaced, never passed on as invalid UTF-8.
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xef\xbf\xbdx");
    EXPECT_EQ(utf16_to_utf8(std::u16string(1, char16_t(0xDC00))), "\xef\xbf\xbd");
}

TEST(TextEncoding, Utf8ToUtf16RoundTripsAndReplacesMalformedInput)
{
    EXPECT_EQ(utf8_to_utf16("A\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80"), u"A\u00e9\u20ac\U0001F600");
    EXPECT_EQ(utf8_to_utf16("\xc3"), u"\uFFFD");            // truncated at the end
    EXPECT_EQ(utf8_to_utf16("\xc0\xaf"), u"\uFFFD\uFFFD");   // over-long form
    EXPECT_EQ(utf8_to_utf16("\xed\xa0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(utf8_to_utf16("a\x80z"), u"a\uFFFDz");
}

TEST(TextEncoding, AnsiToUtf16MapsTheWesternCodePage)
{
    EXPECT_EQ(Platform::ansi_to_utf16("Hi"), u"Hi");
    EXPECT_EQ(Platform::ansi_to_utf16(std::string("\xe9", 1)), u"\u00e9");
    EXPECT_EQ(Platform::ansi_to_utf16(""), u"");
}
