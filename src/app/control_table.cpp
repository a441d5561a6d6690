#include "app/control_table.h"

namespace kestrane {

namespace {

constexpr Rgb kGreen{0, 128, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
using enum Control;

ControlLook Coloured(Rgb text, bool wraps = false) {
    ControlLook look;
    look.textColour = text;
    look.wraps = wraps;
    return look;
}

ControlLook Banner() {
    ControlLook look;
    look.textColour = kWhite;
    look.background = kGreen;
    look.bold = true;
    look.fontFamily = "宋体";
    look.characterHeight = 12;
    look.centred = true;
    return look;
}
using enum ControlKind;

const std::array<ControlLayout, kControlCount> kTable{{
    // id, name, kind, parent, left, top, width, height, start text, look
    {分组框3, "分组框3", kGroupBox, std::nullopt, 16, 274, 344, 78, "", {}},
    {标签11, "标签11", kLabel, 分组框3, 16, 14, 320, 40,
     "     2013.10.7日发现  百度网盘下载链接可用其他下载工具直接下载，土豪的百度果真霸气侧漏！小伙伴们赶紧放下手上工作，开始下载吧！",
     Coloured(kGreen, true)},
    {标签3, "标签3", kLabel, std::nullopt, 16, 246, 64, 24, "下载地址3：", {}},
    {编辑框_下载地址3, "编辑框_下载地址3", kEditBox, std::nullopt, 88, 248, 272, 24, "", {}},
    {标签10, "标签10", kLabel, std::nullopt, 106, 166, 191, 24, "鼠标点击下载地址即可完成复制", Coloured(kRed)},
    {标签5, "标签5", kLabel, std::nullopt, 16, 216, 64, 24, "下载地址2：", {}},
    {编辑框_下载地址2, "编辑框_下载地址2", kEditBox, std::nullopt, 88, 219, 272, 24, "", {}},
    {标签4, "标签4", kLabel, std::nullopt, 98, 360, 191, 24, "支持旋风、迅雷、快车等工具下载", Coloured(kGreen)},
    {标签2, "标签2", kLabel, std::nullopt, -2, 394, 384, 24, "【本软件仅供学习使用！】",
     Banner()},
    {分组框2, "分组框2", kGroupBox, std::nullopt, 24, 382, 312, 8, "", {}},
    {分组框1, "分组框1", kGroupBox, std::nullopt, 16, 37, 344, 128, "文件属性", {}},
    {按钮_复制MD5, "按钮_复制MD5", kPushButton, 分组框1, 301, 93, 32, 24, "复制", {}},
    {标签_MD5, "标签_MD5", kLabel, 分组框1, 64, 96, 225, 24, "", {}},
    {标签_拓展名, "标签_拓展名", kLabel, 分组框1, 64, 48, 225, 24, "", {}},
    {标签_大小, "标签_大小", kLabel, 分组框1, 64, 72, 225, 24, "", {}},
    {标签_文件名, "标签_文件名", kLabel, 分组框1, 64, 24, 225, 24, "", {}},
    {标签9, "标签9", kLabel, 分组框1, 17, 96, 80, 24, "MD5 值：", {}},
    {标签8, "标签8", kLabel, 分组框1, 16, 48, 80, 24, "拓展名：", {}},
    {标签7, "标签7", kLabel, 分组框1, 17, 71, 80, 24, "大  小：", {}},
    {标签6, "标签6", kLabel, 分组框1, 15, 24, 80, 24, "文件名：", {}},
    {标签1, "标签1", kLabel, std::nullopt, 16, 191, 64, 24, "下载地址1：", {}},
    {单选框_百度网盘, "单选框_百度网盘", kRadioButton, std::nullopt, 17, 6, 135, 24, "百度网盘_单文件地址", {}},
    {编辑框_百度, "编辑框_百度", kEditBox, std::nullopt, 152, 7, 144, 24, "", {}},
    {编辑框_下载地址, "编辑框_下载地址", kEditBox, std::nullopt, 88, 191, 272, 24, "", {}},
    {按钮1, "按钮1", kPushButton, std::nullopt, 296, 7, 64, 24, "解析", {}},
}};

}  // namespace

const std::array<ControlLayout, kControlCount>& ControlTable() { return kTable; }

bool IsAddressBox(Control id) {
    return id == 编辑框_下载地址 || id == 编辑框_下载地址2 || id == 编辑框_下载地址3;
}

}  // namespace kestrane
