#include "app/window_handlers.h"

namespace kestrane {

void OnMainWindowCreated(WindowSurface& window) { window.SetChecked(Control::单选框_百度网盘, 1); }

void OnAddressBoxPressed(WindowSurface& window, Control box, DesktopServices& desktop) {
    const Text text = window.GetText(box);
    if (!text.IsEmpty()) desktop.PutOnClipboard(text);
}

void OnCopyMd5Clicked(WindowSurface& window, DesktopServices& desktop) {
    desktop.PutOnClipboard(window.GetCaption(Control::标签_MD5));
    desktop.ShowInformation(Text::FromUtf8("信息："), Text::FromUtf8("复制成功！"));
}

}  // namespace kestrane
