#include "resolve/file_kind_label.h"

#include <initializer_list>
#include <vector>

namespace kestrane {

namespace {

struct KindRow {
    std::vector<Text> extensions;
    Text prefix;
};

// Tried in this order. Only the last three bytes of a name reach this table,
// so "7z" and "rm" match only a name that is exactly that text, and "rmvb",
// "mpeg" and "torrent" never match; the rows stay as they were drawn up.
const std::vector<KindRow>& KindTable() {
    static const std::vector<KindRow> table = [] {
        auto row = [](std::initializer_list<const char*> exts, const char* prefixUtf8) {
            return KindRow{std::vector<Text>(exts.begin(), exts.end()), Text::FromUtf8(prefixUtf8)};
        };
        return std::vector<KindRow>{
            row({"rar", "zip", "jar", "7z", "cab"}, "winrar压缩包文件   ("),
            row({"bmp", "jpg", "png", "gif", "ico"}, "图形图像文件   ("),
            row({"exe"}, "windows可执行文件   ("),
            row({"iso"}, "光盘映像文件   ("),
            row({"txt"}, "文本文档   ("),
            row({"doc"}, "Microsoft Office Word 2003文档   ("),
            row({"wav", "mp3", "aac", "wma"}, "声音文件   ("),
            row({"avi", "rm", "rmvb", "mpeg", "mp4"}, "媒体视频文件   ("),
            row({"torrent"}, "迅雷bt种子文件   ("),
        };
    }();
    return table;
}

}  // namespace

Text FileKindLabel(const Text& extension) {
    Text v = extension;
    for (const KindRow& row : KindTable()) {
        for (const Text& ext : row.extensions) {
            if (v == ext) v = row.prefix + v + ")";
        }
    }
    return v;
}

}  // namespace kestrane
