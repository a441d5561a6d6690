#pragma once

// What the parse sees of the window: its controls by name and four accessors.
// The Qt window, the in-memory window of the command-line front end and the
// recording window of the tests all implement it.

#include "platform/text.h"

namespace kestrane {

// The window's controls, in the order in which the window creates them.
enum class Control : int {
    分组框3,
    标签11,
    标签3,
    编辑框_下载地址3,
    标签10,
    标签5,
    编辑框_下载地址2,
    标签4,
    标签2,
    分组框2,
    分组框1,
    按钮_复制MD5,
    标签_MD5,
    标签_拓展名,
    标签_大小,
    标签_文件名,
    标签9,
    标签8,
    标签7,
    标签6,
    标签1,
    单选框_百度网盘,
    编辑框_百度,
    编辑框_下载地址,
    按钮1,
};
inline constexpr int kControlCount = 25;

class WindowSurface {
public:
    virtual ~WindowSurface() = default;
    // The whole content of an edit box.
    virtual Text GetText(Control box) = 0;
    virtual void SetText(Control box, const Text& text) = 0;
    // The text shown by a label or a button; a label's can be read back.
    virtual Text GetCaption(Control control) = 0;
    virtual void SetCaption(Control control, const Text& caption) = 0;
    // 1 when the radio button is checked, 0 when not.
    virtual int GetChecked(Control radio) = 0;
    virtual void SetChecked(Control radio, int checked) = 0;
};

}  // namespace kestrane
