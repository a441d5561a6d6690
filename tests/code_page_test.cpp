#include "platform/code_page.h"
#include "platform/utf8.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <random>
#include <string>

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

// The conversions are compiled-in tables; ICU's own windows-936-2000
// converter, opened as the program once opened it, is the reference.
class AgainstIcu : public ::testing::Test {
protected:
    void SetUp() override {
        UErrorCode err = U_ZERO_ERROR;
        m_gbk = ucnv_open("windows-936-2000", &err);
        ASSERT_TRUE(U_SUCCESS(err));
        ucnv_setSubstChars(m_gbk, "?", 1, &err);
        ASSERT_TRUE(U_SUCCESS(err));
    }
    void TearDown() override { ucnv_close(m_gbk); }

    std::u16string IcuAnsiToUtf16(const std::string& bytes) {
        ucnv_reset(m_gbk);
        std::u16string out(bytes.size() + 1, u'\0');
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_toUChars(m_gbk, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                        static_cast<int32_t>(bytes.size()), &err);
        EXPECT_TRUE(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING);
        out.resize(static_cast<std::size_t>(n));
        return out;
    }
    std::string IcuUtf16ToAnsi(const std::u16string& units) {
        ucnv_reset(m_gbk);
        std::string out(units.size() * 2 + 2, '\0');
        UErrorCode err = U_ZERO_ERROR;
        const int32_t n = ucnv_fromUChars(m_gbk, out.data(), static_cast<int32_t>(out.size()), units.data(),
                                          static_cast<int32_t>(units.size()), &err);
        EXPECT_TRUE(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING);
        out.resize(static_cast<std::size_t>(n));
        return Text(std::string_view(out)).Str();  // a Text ends at its first NUL
    }
    static std::u16string IcuUtf8ToUtf16(const std::string& utf8) {
        std::u16string out(utf8.size() + 1, u'\0');
        int32_t n = 0;
        UErrorCode err = U_ZERO_ERROR;
        u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, utf8.data(),
                             static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
        out.resize(static_cast<std::size_t>(n));
        return out;
    }
    static bool IcuIsValidUtf8(const std::string& bytes) {
        int32_t n = 0;
        UErrorCode err = U_ZERO_ERROR;
        u_strFromUTF8(nullptr, 0, &n, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
        return err != U_INVALID_CHAR_FOUND && err != U_ILLEGAL_CHAR_FOUND;
    }
    static std::string IcuUtf16ToUtf8(const std::u16string& units) {
        std::string out(units.size() * 3 + 1, '\0');
        int32_t n = 0;
        UErrorCode err = U_ZERO_ERROR;
        u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, units.data(),
                           static_cast<int32_t>(units.size()), 0xFFFD, nullptr, &err);
        out.resize(static_cast<std::size_t>(n));
        return out;
    }

    UConverter* m_gbk = nullptr;
};

// Every byte, every byte pair (the user-defined area, unassigned and invalid
// pairs included) and every byte before the end of the text.
TEST_F(AgainstIcu, EveryCodeDecodesAsIcuDecodesIt) {
    int mismatches = 0;
    for (int a = 0; a < 256; ++a) {
        const std::string one(1, static_cast<char>(a));
        if (AnsiToUtf16(one) != IcuAnsiToUtf16(one) && ++mismatches < 10) ADD_FAILURE() << std::hex << a;
        for (int b = 0; b < 256; ++b) {
            const std::string two{static_cast<char>(a), static_cast<char>(b)};
            if (AnsiToUtf16(two) != IcuAnsiToUtf16(two) && ++mismatches < 10) ADD_FAILURE() << std::hex << a << " " << b;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Every UTF-16 code unit alone and after a high surrogate, and every
// character beyond the BMP (ICU drops a few of them instead of substituting).
TEST_F(AgainstIcu, EveryCodeUnitEncodesAsIcuEncodesIt) {
    int mismatches = 0;
    for (int u = 0; u < 0x10000; ++u) {
        const std::u16string one(1, static_cast<char16_t>(u));
        if (Utf16ToAnsi(one).Str() != IcuUtf16ToAnsi(one) && ++mismatches < 10) ADD_FAILURE() << std::hex << u;
        const std::u16string two{u'\xD83D', static_cast<char16_t>(u), u'a'};
        if (Utf16ToAnsi(two).Str() != IcuUtf16ToAnsi(two) && ++mismatches < 10) ADD_FAILURE() << std::hex << u;
    }
    for (char32_t c = 0x10000; c <= 0x10FFFF; ++c) {
        const std::u16string pair{static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                                  static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
        if (Utf16ToAnsi(pair).Str() != IcuUtf16ToAnsi(pair) && ++mismatches < 10) ADD_FAILURE() << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(mismatches, 0);
}

// Random texts: valid, invalid and cut-off sequences in every mix.
TEST_F(AgainstIcu, RandomTextsConvertAsIcuConvertsThem) {
    std::mt19937 rng(936);
    const std::string pieces[] = {"a", "plain ascii run", "0123456", "\x80", "\xFF", "\x81", "\xA1\xA1", "\xD6\xD0", "\xAA\xA1", "\xFE\xFE",
                                  "\xC0", "\xE0", "\xED", "\xF0", "\xF4", "\xF5", "\xA0", "\xBF", "\x8F", "\x40",
                                  "\x7F", std::string(1, '\0'), "\xE4\xB8\xAD", "\xF0\x9F\x98\x80", "\xED\xA0\x80"};
    for (int round = 0; round < 20000; ++round) {
        std::string s;
        const int n = static_cast<int>(rng() % 16);
        for (int k = 0; k < n; ++k) {
            if (rng() % 3 == 0) {
                s.push_back(static_cast<char>(rng() & 0xFF));
            } else {
                s += pieces[rng() % std::size(pieces)];
            }
        }
        ASSERT_EQ(AnsiToUtf16(s), IcuAnsiToUtf16(s)) << testing::PrintToString(s);
        ASSERT_EQ(Utf8ToUtf16(s), IcuUtf8ToUtf16(s)) << testing::PrintToString(s);
        ASSERT_EQ(IsValidUtf8(s), IcuIsValidUtf8(s)) << testing::PrintToString(s);
        ASSERT_EQ(Utf8ToAnsi(s).Str(), IcuUtf16ToAnsi(IcuUtf8ToUtf16(s))) << testing::PrintToString(s);
        const std::u16string units = IcuUtf8ToUtf16(s) + IcuAnsiToUtf16(s);
        std::u16string mixed;
        for (const char16_t u : units) mixed += (rng() % 5 == 0) ? static_cast<char16_t>(0xD800 + rng() % 0x800) : u;
        ASSERT_EQ(Utf16ToAnsi(mixed).Str(), IcuUtf16ToAnsi(mixed)) << testing::PrintToString(s);
        ASSERT_EQ(Utf16ToUtf8(mixed), IcuUtf16ToUtf8(mixed)) << testing::PrintToString(s);
    }
}

// Every two- and three-byte UTF-8 prefix class, exhaustively over the lead byte and the next two.
TEST_F(AgainstIcu, EveryShortUtf8SequenceDecodesAsIcuDecodesIt) {
    for (int a = 0x80; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            for (int c : {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xE0, 0xF0, 0xFF}) {
                const std::string s{static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), '\x80'};
                for (std::size_t len = 1; len <= s.size(); ++len) {
                    const std::string t = s.substr(0, len);
                    ASSERT_EQ(Utf8ToUtf16(t), IcuUtf8ToUtf16(t)) << testing::PrintToString(t);
                    ASSERT_EQ(IsValidUtf8(t), IcuIsValidUtf8(t)) << testing::PrintToString(t);
                }
            }
        }
    }
}

TEST(CodePageTest, OtherCharacterSetsDecodeThroughIcu) {
    EXPECT_EQ(DecodeCharset("\xD6\xD0", "gbk"), u"中");
    EXPECT_EQ(DecodeCharset("caf\xE9", "ISO-8859-1"), u"café");
    EXPECT_EQ(DecodeCharset("\xEF\xBB\xBFok", ""), u"ok");
    EXPECT_EQ(DecodeCharset("\xE4\xB8\xAD", "no-such-charset"), u"中");
}

}  // namespace
}  // namespace kestrane
