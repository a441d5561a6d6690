#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace kestrane {
namespace {

Text G(const char* utf8) { return Text::FromUtf8(utf8); }

TEST(TextTest, CutsCountBytesFromOne) {
    const Text t("abcdef");
    struct Case {
        Text got;
        Text want;
    } cases[] = {
        {t.Left(0), ""},    {t.Left(-1), ""},      {t.Left(2), "ab"},     {t.Left(99), "abcdef"},
        {t.Right(0), ""},   {t.Right(2), "ef"},    {t.Right(99), "abcdef"},
        {t.Mid(0, 2), ""},  {t.Mid(7, 1), ""},     {t.Mid(2, 0), ""},     {t.Mid(2, 3), "bcd"},
        {t.Mid(5, 99), "ef"}, {t.Mid(6, 1), "f"},  {Text().Mid(1, 1), ""},
        // A cut by bytes may split a double-byte character.
        {G("中文").Left(1), Text("\xD6")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.want.Str();
}

TEST(TextTest, ZeroByteEndsTheText) {
    EXPECT_EQ(Text(std::string_view("ab\0cd", 5)).Length(), 2);
    EXPECT_EQ(Bytes(std::string("\0x", 2)).ToText(), Text(""));
    EXPECT_EQ(Text("ab").ToBytes().Size(), 2u);
}

TEST(TextTest, FindNeverStartsOnASecondByte) {
    // 0xB0 0xA1 is one character; 0xA1 0xA1 (the ideographic space) starts at byte 3.
    const Text t("\xB0\xA1\xA1\xA1x");
    struct Case {
        Text hay;
        Text needle;
        int start;
        int want;
    } cases[] = {
        {"hello", "l", 1, 3},
        {"hello", "l", 4, 4},
        {"hello", "l", 6, -1},
        {"hello", "z", 1, -1},
        {"hello", "he", -5, 1},
        {"", "a", 1, -1},
        {t, "\xA1\xA1", 1, 3},           // not at byte 2, which is a second byte
        {t, "\xA1", 1, 3},
        {t, "x", 1, 5},
        {G("中a文"), "a", 1, 3},
        {Text("\xD6\x61\x61"), "a", 1, 3},  // 0xD6 0x61 is one character: the first "a" is its second byte
        // A start inside a double-byte character: the character still counts
        // from its first byte, so nothing is found on its second byte.
        {Text("\xD6\x61\x61"), "a", 2, 3},
        {t, "\xA1\xA1", 2, 3},
        {t, "\xA1", 2, 3},
        {t, "\xA1", 4, -1},               // byte 4 is the second byte of the ideographic space
        {Text("\xD6\xD0\xD6\xD0"), "\xD0\xD6", 2, -1},
        {Text("\xD6\xD0\xD6\xD0"), "\xD6\xD0", 2, 3},
    };
    for (const Case& c : cases) EXPECT_EQ(c.hay.Find(c.needle, c.start), c.want) << c.hay.Str() << " / " << c.needle.Str();
}

TEST(TextTest, CaseChangesTouchOnlyAsciiLetters) {
    EXPECT_EQ(Text("aBc-Z9").Upper(), Text("ABC-Z9"));
    EXPECT_EQ(Text("aBc-Z9").Lower(), Text("abc-z9"));
    // The second byte of a double-byte character is left alone even where it looks like a letter.
    EXPECT_EQ(Text("\xD6\x41" "A").Lower(), Text("\xD6\x41" "a"));
}

TEST(TextTest, SpacesTrimAndBlank) {
    const Text ideo("\xA1\xA1");
    struct Case {
        Text in;
        Text trimmed;
        bool blank;
    } cases[] = {
        {"", "", true},
        {"   ", "", true},
        {ideo + " " + ideo, "", true},
        {" a b ", "a b", false},
        {ideo + "a" + ideo, "a", false},
        {"\t", "\t", false},  // tab, CR and LF are not spaces
        {"\r\n", "\r\n", false},
        {Text("\xB0\xA1\xA1"), Text("\xB0\xA1\xA1"), false},  // 0xA1 0xA1 here is not a space: the first 0xA1 is a second byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.in.Trimmed(), c.trimmed) << c.in.Str();
        EXPECT_EQ(c.in.IsBlank(), c.blank) << c.in.Str();
    }
}

TEST(TextTest, SplitKeepsInnerEmptyPiecesButNotATrailingOne) {
    struct Case {
        Text in;
        std::vector<Text> want;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a,b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b"}},
        {",a", {"", "a"}},
        {",", {""}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.in.Split(","), c.want) << c.in.Str();
    EXPECT_EQ(Text("a\r\n\r\nb\r\n").Split("\r\n"), (std::vector<Text>{"a", "", "b"}));
}

TEST(TextTest, ConcatenationAndEquality) {
    EXPECT_EQ(Text() + "a" + Text(), Text("a"));
    EXPECT_NE(Text("a"), Text("A"));
    EXPECT_EQ(Text(nullptr), Text(""));
}

}  // namespace
}  // namespace kestrane
