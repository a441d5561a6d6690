// kestrane-demo-site: a sample share site on loopback, so that a machine
// without the internet can see a whole parse. It serves a share page with a
// link assignment, a percent-encoded Chinese file name, a size and an MD5,
// and the two redirect hops behind the link, each hop on a server of its own.
// It prints the share address on the first line and serves until interrupted.
//
//   kestrane-demo-site [--mirror-host 127.0.0.x]
// With --mirror-host (root only) the first mirror listens on port 80 of that
// loopback address, so that the parse's status probe reaches it too.

#include <csignal>
#include <cstdio>
#include <string>

#include "loopback/loopback_server.h"

namespace {

using kestrane::loopback::HttpReply;
using kestrane::loopback::PageServer;
using kestrane::loopback::Redirect;

std::string DemoFile() {
    std::string content;
    for (int i = 0; i < 65536; ++i) content += "Kestrane demo file.\n";
    return content;  // 1310720 bytes, MD5 767dbc044c255a5f0ffb61acac8c6c59
}

std::string SharePage(const std::string& link) {
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Kestrane demo share</title></head>\n"
           "<body><h1>Kestrane demo share</h1>\n<script>\n"
           "var yunData = {\"file_list\":\"[{\\\"fs_id\\\":\\\"42\\\",\\\"server_filename\\\":\\\"demo\\\","
           "\\\"path\\\":\\\"/share/filename=%E6%BC%94%E7%A4%BA%E6%96%87%E4%BB%B6.txt\\\","
           "\\\"size\\\":\\\"1310720\\\",\\\"md5\\\":\\\"767dbc044c255a5f0ffb61acac8c6c59\\\"}]\"};\n"
           "function start(){;;_dlink=\"" + link + "\";if(window.go){go();}}\n"
           "</script></body></html>\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::string mirrorHost;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--mirror-host" && i + 1 < argc) {
            mirrorHost = argv[++i];
        } else {
            std::fprintf(stderr, "usage: kestrane-demo-site [--mirror-host 127.0.0.x]\n");
            return 2;
        }
    }

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // the server threads inherit this; main waits for it below

    PageServer share;
    PageServer mirror1 = mirrorHost.empty() ? PageServer() : PageServer(mirrorHost, 80);
    PageServer mirror2;
    const std::string file = DemoFile();
    share.SetPage("/s/1demo", SharePage(share.Url("/file/demo.txt?fid=42")));
    share.Set("/file/demo.txt?fid=42", Redirect(mirror1.Url("/d/demo.txt?fid=42")));
    mirror1.Set("/d/demo.txt?fid=42", Redirect(mirror2.Url("/d/demo.txt?fid=42")));
    mirror2.Set("/d/demo.txt?fid=42", HttpReply(200, "OK", file, {{"Content-Type", "text/plain"}}));

    std::printf("%s\n", share.Url("/s/1demo").c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "kestrane-demo-site: serving on 127.0.0.1 ports %u, %u and %u; Ctrl-C stops it\n",
                 share.Server().Port(), mirror1.Server().Port(), mirror2.Server().Port());
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
