// Renders the main window, as it looks at start-up or after a sample parse,
// into a PNG file: render-window OUT.png [--filled]

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstring>

#include "app/main_window.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: render-window OUT.png [--filled]\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    kestrane::QtDesktopServices desktop;
    kestrane::MainWindow window(desktop);
    window.ShowAtHome();
    if (argc > 2 && std::strcmp(argv[2], "--filled") == 0) {
        using enum kestrane::Control;
        using kestrane::Text;
        window.SetText(编辑框_下载地址, Text("http://d.pcs.example/file/0123?fid=42&sign=abc"));
        window.SetText(编辑框_下载地址2, Text("http://mirror1.example/file/0123?fid=42"));
        window.SetText(编辑框_下载地址3, Text("http://mirror2.example/file/0123?fid=42"));
        window.SetCaption(标签_文件名, Text::FromUtf8("中文.txt"));
        window.SetCaption(标签_拓展名, Text::FromUtf8("文本文档   (txt)"));
        window.SetCaption(标签_大小, Text("1MB"));
        window.SetCaption(标签_MD5, Text("0123456789abcdef0123456789abcdef"));
    }
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
