// Servers that misbehave on purpose. Whatever they do, the fetch and the
// whole parse come back within the limits of NetworkLimits (shortened here
// so the tests stay quick) with what the parse gives for a failure, and
// memory stays bounded by the size caps.

#include <gtest/gtest.h>

#include <chrono>

#include "app/parse_command.h"
#include "http/mirror_probes.h"
#include "platform/network_limits.h"
#include "platform/page_fetch.h"
#include "loopback/loopback_server.h"
#include "support/recording_window.h"

namespace kestrane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using loopback::HttpReply;
using loopback::LoopbackServer;
using loopback::PageServer;
using loopback::Redirect;
using loopback::Reply;
using loopback::ServedRequest;

Reply Silent() {
    Reply r;
    r.hang = true;
    return r;
}

Reply Trickle(const std::string& body) {
    Reply r = HttpReply(200, "OK", body);
    r.pace = 200ms;
    return r;
}

Reply Endless(const std::string& start) {
    Reply r{"HTTP/1.1 200 OK\r\nContent-Length: 104857600\r\n\r\n" + start};
    r.endlessBodyChunk = 64 * 1024;
    return r;
}

class HostileServersTest : public ::testing::Test {
protected:
    void SetUp() override {
        NetworkLimits limits;
        limits.pageConnect = 2s;
        limits.pageStall = 1s;
        limits.pageTotal = 3s;
        limits.pageMaxBytes = 1u << 20;
        limits.probeConnect = 2s;
        limits.probeTotal = 2s;
        limits.requestConnect = 2s;
        limits.requestReceive = 1s;
        limits.requestTotal = 3s;
        limits.requestMaxBytes = 1u << 20;
        SetNetworkLimits(limits);
    }
    void TearDown() override { SetNetworkLimits(NetworkLimits()); }

    // Runs `f` and checks that it came back well within `bound`; the bound
    // is the stated limit plus slack for a loaded machine, not a speed goal.
    template <class F>
    void WithinLimit(std::chrono::seconds bound, F f) {
        const auto start = Clock::now();
        f();
        EXPECT_LT(Clock::now() - start, bound);
    }
};

TEST_F(HostileServersTest, ThePageFetchEndsWhateverTheServerDoes) {
    PageServer server;
    server.Set("/silent", Silent());
    server.Set("/trickle", Trickle(std::string(100, 'x')));
    server.Set("/endless", Endless(""));
    server.Set("/garbage", Reply{"this is not HTTP at all\r\n\r\n\x01\x02\x03"});
    server.Set("/loop", Redirect("/loop"));
    Reply cut = HttpReply(200, "OK", "partial");
    cut.bytes.replace(cut.bytes.find("Content-Length: 7"), 17, "Content-Length: 999");
    cut.resetAfterBytes = true;
    server.Set("/reset", cut);

    WithinLimit(6s, [&] { EXPECT_TRUE(FetchPageBytes(Text(server.Url("/silent"))).IsEmpty()); });
    WithinLimit(6s, [&] {
        const Bytes some = FetchPageBytes(Text(server.Url("/trickle")));
        EXPECT_LT(some.Size(), 100u);  // cut by the total limit; what arrived is kept
    });
    WithinLimit(6s, [&] { EXPECT_EQ(FetchPageBytes(Text(server.Url("/endless"))).Size(), 1u << 20); });
    WithinLimit(6s, [&] { EXPECT_TRUE(FetchPageBytes(Text(server.Url("/garbage"))).IsEmpty()); });  // not HTTP: no page
    WithinLimit(6s, [&] { EXPECT_TRUE(FetchPageBytes(Text(server.Url("/loop"))).IsEmpty()); });
    WithinLimit(6s, [&] { EXPECT_EQ(FetchPageBytes(Text(server.Url("/reset"))).Str(), "partial"); });
    EXPECT_LE(server.Server().Requests().size(), 6u + 11u);  // the loop stopped after its redirects
}

TEST_F(HostileServersTest, AHundredMegabytePageIsCutAndStillParsed) {
    SetNetworkLimits(NetworkLimits());  // the real cap of 32 MiB
    PageServer server;
    server.Set("/big", Endless(";;_dlink=\"http://127.0.0.71/big\";if filename=big.iso\\\""));
    test::RecordingWindow window;
    window.SetText(Control::编辑框_百度, Text(server.Url("/big")));
    WithinLimit(30s, [&] { OnParseClicked(window); });
    EXPECT_EQ(window.GetText(Control::编辑框_下载地址), Text("http://127.0.0.71/big"));
    EXPECT_EQ(window.GetCaption(Control::标签_文件名), Text("big.iso"));
}

TEST_F(HostileServersTest, TheMirrorProbesEndToo) {
    // Address 2's host is silent on port 80; the link's own host trickles and never redirects.
    LoopbackServer silent80([](const ServedRequest&) { return Silent(); }, "127.0.0.72", 80);
    PageServer link("127.0.0.73");
    link.Set("/trickle", Trickle(std::string(100, 'y')));
    link.Set("/endless", Endless(""));
    link.Set("/to-silent", Redirect("http://127.0.0.72/hop"));

    for (const char* path : {"/trickle", "/endless"}) {
        Text url(link.Url(path));
        WithinLimit(6s, [&] { EXPECT_EQ(GetRedirectTarget(url).location, Text()); });
    }
    WithinLimit(6s, [&] { EXPECT_FALSE(IsBadRequestHost(Text("http://127.0.0.72/hop"))); });

    PageServer share("127.0.0.74");
    share.SetPage("/s", ";;_dlink=\"" + link.Url("/to-silent") + "\";if");
    test::RecordingWindow window;
    window.SetText(Control::编辑框_百度, Text(share.Url("/s")));
    // The page, a redirect, the silent status probe, the silent redirect probe.
    WithinLimit(12s, [&] { OnParseClicked(window); });
    EXPECT_EQ(window.GetText(Control::编辑框_下载地址2), Text("http://127.0.0.72/hop"));
    EXPECT_EQ(window.GetText(Control::编辑框_下载地址3), Text());
    EXPECT_EQ(window.GetCaption(Control::按钮1), Text::FromUtf8("解析"));
}

}  // namespace
}  // namespace kestrane
