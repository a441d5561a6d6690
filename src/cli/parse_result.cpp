#include "cli/parse_result.h"

#include "app/parse_command.h"
#include "platform/code_page.h"

namespace kestrane {

ParseResult ParseShare(MemoryWindow& window, const std::string& shareUtf8) {
    using enum Control;
    window.SetText(编辑框_百度, Utf8ToAnsi(shareUtf8));
    OnParseClicked(window);
    ParseResult r;
    r.share = shareUtf8;
    r.address1 = AnsiToUtf8(window.GetText(编辑框_下载地址));
    r.address2 = AnsiToUtf8(window.GetText(编辑框_下载地址2));
    r.address3 = AnsiToUtf8(window.GetText(编辑框_下载地址3));
    r.name = AnsiToUtf8(window.GetCaption(标签_文件名));
    r.kind = AnsiToUtf8(window.GetCaption(标签_拓展名));
    r.size = AnsiToUtf8(window.GetCaption(标签_大小));
    r.md5 = AnsiToUtf8(window.GetCaption(标签_MD5));
    return r;
}

}  // namespace kestrane
