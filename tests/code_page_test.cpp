#include "platform/code_page.h"

#include <gtest/gtest.h>

namespace kestrane {
namespace {

TEST(CodePageTest, GbkRoundTripsThroughUnicode) {
    const Text zhong = Utf8ToAnsi("中文.txt");
    EXPECT_EQ(zhong.Str(), "\xD6\xD0\xCE\xC4.txt");
    EXPECT_EQ(AnsiToUtf8(zhong), "中文.txt");
    EXPECT_EQ(AnsiToUtf16(zhong), u"中文.txt");
    EXPECT_EQ(Utf16ToAnsi(u"中文.txt"), zhong);
}

TEST(CodePageTest, EuroSignIsByte80AndIdeographicSpaceIsA1A1) {
    EXPECT_EQ(Utf8ToAnsi("€").Str(), "\x80");
    EXPECT_EQ(AnsiToUtf8(Text("\x80")), "€");
    EXPECT_EQ(Utf8ToAnsi("\u3000").Str(), "\xA1\xA1");
}

TEST(CodePageTest, CharactersGbkLacksBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToAnsi("a😀b").Str(), "a?b");
    EXPECT_EQ(Utf8ToAnsi("\u0E01").Str(), "?");  // Thai
}

TEST(CodePageTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf16ToUtf8(u"a\xD800" "b"), "a\xEF\xBF\xBD" "b");  // a lone surrogate
    EXPECT_FALSE(IsValidUtf8("a\xFF"));
    EXPECT_TRUE(IsValidUtf8("中"));
}

TEST(CodePageTest, EmptyStaysEmpty) {
    EXPECT_TRUE(Utf8ToAnsi("").IsEmpty());
    EXPECT_TRUE(AnsiToUtf16(Text()).empty());
}

}  // namespace
}  // namespace kestrane
