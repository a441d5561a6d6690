#include "resolve/file_name_decoding.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace kestrane {
namespace {

TEST(DecodeUrlTextTest, Table) {
    struct Case {
        std::string in;
        std::string wantUtf8;
    } cases[] = {
        {"%E4%B8%AD%E6%96%87.txt", "中文.txt"},
        {"%e4%b8%ad", "中"},
        {"My%20File+1.zip", "My File+1.zip"},
        {"a%00b", "ab"},
        {"%2541", "%41"},             // one pass only
        {"\xE4\xB8\xAD", "中"},       // raw UTF-8
        {"\xE4%B8\xAD%E6%96%87", "中文"},  // raw bytes and escapes mixed
        {"", ""},
        {"a\xFF" "b", "a?b"},         // invalid UTF-8: U+FFFD, which GBK lacks
        {"%F0%9F%98%80.png", "?.png"},  // outside GBK
        {"%E2%82%AC", "€"},
        // Malformed escapes stay as they stand.
        {"100%", "100%"},
        {"50%off.txt", "50%off.txt"},
        {"%4", "%4"},
        {"%%41", "%A"},
        {"%g1%41", "%g1A"},
    };
    for (const Case& c : cases) EXPECT_EQ(AnsiToUtf8(DecodeUrlText(Text(c.in))), c.wantUtf8) << c.in;
    EXPECT_EQ(DecodeUrlText(Text("%E4%B8%AD%E6%96%87.txt")).Str(), "\xD6\xD0\xCE\xC4.txt");
}

TEST(Utf16BytesToTextTest, StopsAtTheFirstZeroUnit) {
    const Bytes units(std::string("a\0\0\0b\0", 6));
    EXPECT_EQ(Utf16BytesToText(units), Text("a"));
    EXPECT_EQ(Utf16BytesToText(Bytes(std::string("\x2D\x4E", 2))).Str(), "\xD6\xD0");  // U+4E2D
    EXPECT_EQ(Utf8BytesToText(Bytes()), Text());
}

}  // namespace
}  // namespace kestrane
