#include "resolve/file_kind_label.h"

#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace kestrane {
namespace {

TEST(FileKindLabelTest, Table) {
    struct Case {
        std::string inUtf8;
        std::string wantUtf8;
    } cases[] = {
        {"rar", "winrar压缩包文件   (rar)"}, {"cab", "winrar压缩包文件   (cab)"},
        {"ico", "图形图像文件   (ico)"},     {"exe", "windows可执行文件   (exe)"},
        {"iso", "光盘映像文件   (iso)"},     {"txt", "文本文档   (txt)"},
        {"doc", "Microsoft Office Word 2003文档   (doc)"},
        {"wma", "声音文件   (wma)"},         {"mp4", "媒体视频文件   (mp4)"},
        // Rows a three-byte extension cannot reach, matched whole.
        {"7z", "winrar压缩包文件   (7z)"},
        {"rm", "媒体视频文件   (rm)"},       {"torrent", "迅雷bt种子文件   (torrent)"},
        // Unchanged.
        {"RAR", "RAR"}, {"Jpg", "Jpg"}, {"peg", "peg"}, {"ocx", "ocx"}, {"ent", "ent"},
        {"pdf", "pdf"}, {"e", "e"}, {"", ""}, {" txt", " txt"}, {"文件", "文件"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AnsiToUtf8(FileKindLabel(Text::FromUtf8(c.inUtf8))), c.wantUtf8) << c.inUtf8;
    }
}

}  // namespace
}  // namespace kestrane
