#include "app/start_options.h"

#include <string_view>

#include "kestrane/version.h"

namespace kestrane {

StartRequest ReadStartRequest(int argc, const char* const* argv) {
    StartRequest request = StartRequest::kOpenWindow;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help") return StartRequest::kPrintHelp;
        if (arg == "--version") request = StartRequest::kPrintVersion;
    }
    return request;
}

std::string VersionText() { return std::string("kestrane ") + kVersion + "\n"; }

std::string HelpText() {
    return "Usage: kestrane [Qt options]\n"
           "       kestrane --version | --help\n"
           "\n"
           "Opens the Kestrane window: paste a Baidu Netdisk share address into the\n"
           "box next to 百度网盘_单文件地址 and press 解析; press a download address\n"
           "to copy it. For scripts, use kestrane-cli.\n"
           "\n"
           "  -h, --help   show this text and exit\n"
           "  --version    show the version and exit\n"
           "\n"
           "Other options go to Qt, for example -platform wayland.\n";
}

}  // namespace kestrane
