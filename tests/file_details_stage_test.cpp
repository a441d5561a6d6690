#include "resolve/file_details_stage.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <string>

#include "platform/code_page.h"
#include "resolve/size_number.h"
#include "support/recording_window.h"

namespace kestrane {
namespace {

// An entry of script text with its quotes escaped by `slashes` backslashes.
std::string Entry(const std::string& key, const std::string& value, const std::string& slashes = "\\") {
    return key + slashes + "\":" + slashes + "\"" + value + slashes + "\"";
}

TEST(FileDetailsTest, PageFixtures) {
    const std::string md5 = "0123456789abcdef0123456789abcdef";
    struct Case {
        const char* what;
        std::string page;
        std::string name, kind;
        double size;
        std::string md5;
    } cases[] = {
        {"all three", "{\\\"path\\\":\\\"filename=%E4%B8%AD%E6%96%87.txt\\\"," + Entry(",\\\"size", "1048576") + "," +
                          Entry("\\\"md5", md5) + "}",
         "中文.txt", "文本文档   (txt)", 1048576, md5},
        {"no name", Entry("size", "12") + Entry("md5", md5), "", "", 12, md5},
        {"no size", "filename=a.rar\\\"" + Entry("md5", md5), "a.rar", "winrar压缩包文件   (rar)", 0, md5},
        {"no md5", "filename=a.rar\\\"" + Entry("size", "12"), "a.rar", "winrar压缩包文件   (rar)", 12, ""},
        {"nothing", "<html>nothing here</html>", "", "", 0, ""},
        {"two names: the second wins", "filename=one.txt\\\" filename=two.zip\\\"", "two.zip",
         "winrar压缩包文件   (zip)", 0, ""},
        {"longer keys", Entry("filesize", "7") + Entry("file_md5", "ABC"), "", "", 7, "ABC"},
        {"several backslashes", "filename=x.mp3\\\\\\\"" + Entry("size", "5", "\\\\\\"), "x.mp3", "声音文件   (mp3)",
         5, ""},
        {"short name is its own extension", "filename=7z\\\"", "7z", "winrar压缩包文件   (7z)", 0, ""},
        {"md5 shown as found", Entry("md5", "NOT-A-HASH"), "", "", 0, "NOT-A-HASH"},
        {"single precision", Entry("size", "123456789"), "", "", 123456792, ""},
        {"trailing text after the number", Entry("size", "42 bytes"), "", "", 42, ""},
        {"no number", Entry("size", "abc"), "", "", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileDetails d = FindFileDetails(Text(c.page));
        EXPECT_EQ(AnsiToUtf8(d.fileName), c.name);
        EXPECT_EQ(AnsiToUtf8(d.kindLabel), c.kind);
        EXPECT_EQ(d.size, c.size);
        EXPECT_EQ(AnsiToUtf8(d.md5), c.md5);
    }
}

TEST(FileDetailsTest, NameEndingInDoubleByteCharactersCutsByBytes) {
    const FileDetails d = FindFileDetails(Text("filename=%E4%B8%AD%E6%96%87\\\""));
    EXPECT_EQ(d.fileName.Str(), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(d.kindLabel.Str(), "\xD0\xCE\xC4");  // the last three bytes, from the middle of 中
}

TEST(ParseSingleNumberTest, Table) {
    struct Case {
        std::string in;
        float want;
    } cases[] = {
        {"1048576", 1048576.0f},
        {"123456789", 123456792.0f},
        {"  12", 12.0f},
        {"\t\n12", 12.0f},
        {"+5", 5.0f},
        {"-5", -5.0f},
        {"1.5e3x", 1500.0f},
        {"1e", 1.0f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {".", 0.0f},
        {"", 0.0f},
        {"abc", 0.0f},
        {"inf", 0.0f},
        {"0x10", 0.0f},
        {Utf8ToAnsi("１２３").Str(), 123.0f},
        {Utf8ToAnsi("－１．５").Str(), -1.5f},
        {Utf8ToAnsi("\u3000＋７").Str(), 7.0f},
        {"1e39", std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseSingleNumber(Text(c.in)), c.want) << c.in;
}

TEST(FileDetailsStageTest, WritesTheFourLabelsInOrder) {
    test::RecordingWindow window;
    window.ForgetWrites();
    RunFileDetailsStage(Text("filename=a%20b.iso\\\"" + Entry("size", "1536") + Entry("md5", "m")), window);
    using enum Control;
    EXPECT_EQ(window.Writes(), (std::vector<test::WindowWrite>{{标签_文件名, "a b.iso"},
                                                               {标签_拓展名, "光盘映像文件   (iso)"},
                                                               {标签_大小, "1.5KB"},
                                                               {标签_MD5, "m"}}));
}

TEST(FileDetailsTest, HostilePagesEndWithoutCrashing) {
    const std::string pages[] = {
        "filename=" + std::string(10 << 20, '\\'),
        "filename=" + std::string(4 << 20, '\\') + "x\\\"",
        [] { std::string s; for (int i = 0; i < 200'000; ++i) s += "size\\\":\\\"1"; return s; }(),
        "md5\\\":\\\"" + std::string(10 << 20, 'a'),
    };
    // What each gives: no closing quote, no name; a name of every backslash and the "x"
    // (its kind the unknown "\\x" itself); the last size; no closing quote, no MD5.
    struct Want {
        std::string fileName;
        std::string kindLabel;
        double size;
        std::string md5;
    } const want[] = {
        {"", "", 0, ""},
        {std::string(4 << 20, '\\') + "x", "\\\\x", 0, ""},
        {"", "", 1, ""},
        {"", "", 0, ""},
    };
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        const FileDetails got = FindFileDetails(Text(pages[i]));
        EXPECT_TRUE(got.fileName.Str() == want[i].fileName) << "page " << i << ": " << got.fileName.Length() << " bytes";
        EXPECT_EQ(got.kindLabel.Str(), want[i].kindLabel) << "page " << i;
        EXPECT_EQ(got.size, want[i].size) << "page " << i;
        EXPECT_EQ(got.md5.Str(), want[i].md5) << "page " << i;
    }
}

}  // namespace
}  // namespace kestrane
