// batch-site: share pages for the batch benchmark. Every response is held
// for a while before it is answered, as a distant server would, so a batch
// measures how well kestrane-cli overlaps its waits. Each share page links to
// a file whose redirect leads to a mirror on port 80 of a second loopback
// address (which the status probe also asks), and from there to a third hop.
//
//   batch-site [--count N] [--delay-ms D] [--mirror-host 127.0.0.x]
// Prints the N share addresses, one per line, then a line "ready", and serves
// until interrupted. Needs root, or leave to bind port 80.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "loopback/loopback_server.h"

namespace {

using kestrane::loopback::HttpReply;
using kestrane::loopback::LoopbackServer;
using kestrane::loopback::Redirect;
using kestrane::loopback::Reply;
using kestrane::loopback::ServedRequest;

Reply Held(Reply reply, int delayMs) {
    reply.delay = std::chrono::milliseconds(delayMs);
    return reply;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 200, delayMs = 50;
    std::string mirrorHost = "127.0.0.92";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--count" && i + 1 < argc) {
            count = std::atoi(argv[++i]);
        } else if (arg == "--delay-ms" && i + 1 < argc) {
            delayMs = std::atoi(argv[++i]);
        } else if (arg == "--mirror-host" && i + 1 < argc) {
            mirrorHost = argv[++i];
        } else {
            std::fprintf(stderr, "usage: batch-site [--count N] [--delay-ms D] [--mirror-host 127.0.0.x]\n");
            return 2;
        }
    }

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    std::string shareBase;  // set before the first request can arrive
    LoopbackServer share(
        [&](const ServedRequest& r) {
            if (r.target.starts_with("/s/")) {
                const std::string n = r.target.substr(3);
                const std::string page = "<html><script>var yunData = {\"file_list\":\"[{\\\"path\\\":\\\"/share/filename=f" + n +
                                         ".bin\\\",\\\"size\\\":\\\"1048576\\\",\\\"md5\\\":\\\"0123456789abcdef0123456789abcdef\\\"}]\"};"
                                         ";;_dlink=\"" + shareBase + "/f/" + n + "\";if(x){}</script></html>";
                return Held(HttpReply(200, "OK", page), delayMs);
            }
            if (r.target.starts_with("/f/")) return Held(Redirect("http://" + mirrorHost + "/d/" + r.target.substr(3)), delayMs);
            return Held(HttpReply(404, "Not Found", "no such page"), delayMs);
        },
        "127.0.0.91");
    shareBase = share.Url("");
    LoopbackServer mirror(
        [&](const ServedRequest& r) { return Held(Redirect(shareBase + "/e" + r.target), delayMs); }, mirrorHost, 80);

    for (int i = 0; i < count; ++i) std::printf("%s/s/%d\n", shareBase.c_str(), i);
    std::printf("ready\n");
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stop, &signal);
    return 0;
}
