#include "app/parse_command.h"

#include "resolve/share_link_resolver.h"

namespace kestrane {

void OnParseClicked(WindowSurface& window) {
    using enum Control;
    window.SetCaption(标签_大小, {});
    window.SetCaption(标签_MD5, {});
    window.SetCaption(标签_拓展名, {});
    window.SetCaption(标签_文件名, {});
    window.SetText(编辑框_下载地址, {});
    window.SetText(编辑框_下载地址3, {});
    window.SetText(编辑框_下载地址2, {});
    window.SetCaption(按钮1, Text::FromUtf8("解析中..."));
    if (window.GetChecked(单选框_百度网盘) == 1) {
        const Text shareAddress = window.GetText(编辑框_百度);
        const Text address1 = ResolveShareLink(shareAddress, window);
        window.SetText(编辑框_下载地址, address1);
    }
    window.SetCaption(按钮1, Text::FromUtf8("解析"));
    window.SetText(编辑框_百度, {});
}

}  // namespace kestrane
