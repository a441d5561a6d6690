#include "http/mirror_probes.h"

#include <gtest/gtest.h>

#include <string>

#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::HttpReply;
using loopback::LoopbackServer;
using loopback::PageServer;
using loopback::Redirect;
using loopback::ServedRequest;

TEST(SplitProbeUrlTest, Table) {
    struct Case {
        const char* url;
        const char* server;
        const char* path;
    } cases[] = {
        {"http://host.example/a/b?c=1", "host.example", "/a/b?c=1"},
        {"http://host.example", "host.example", ""},
        {"http://host.example:8080/a", "host.example:", "8080/a"},
        {"http://my-host.example/a", "my-", "host.example/a"},
        {"https://host.example/a", "", "https://host.example/a"},
        {"http://h/a", "", "http://h/a"},  // one-character host: no match there
        // The last match names the server; the path loses as many bytes as that match is long.
        {"http://a.b/x?u=http://c.d/e", "c.d", "/x?u=http://c.d/e"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        const ProbeTarget t = SplitProbeUrl(Text(c.url));
        EXPECT_EQ(t.serverName, Text(c.server)) << c.url;
        EXPECT_EQ(t.objectPath, Text(c.path)) << c.url;
    }
}

// Servers on port 80, each on a loopback address of its own.
TEST(IsBadRequestHostTest, ComparesTheStatusTextExactly) {
    struct Case {
        const char* address;
        const char* reason;
        bool want;
    } cases[] = {
        {"127.0.0.31", "Bad Request", true},
        {"127.0.0.32", "bad request", false},
        {"127.0.0.33", "OK", false},
        {"127.0.0.34", "Bad Request ", false},
    };
    for (const Case& c : cases) {
        LoopbackServer server([&](const ServedRequest&) { return HttpReply(400, c.reason, "x"); }, c.address, 80);
        EXPECT_EQ(IsBadRequestHost(Text(std::string("http://") + c.address + "/file/x?y=1")), c.want) << c.reason;
        const auto seen = server.Requests();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].target, "/file/x?y=1");
        EXPECT_EQ(seen[0].version, "HTTP/1.1");
        EXPECT_EQ(seen[0].Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    }
}

TEST(IsBadRequestHostTest, NothingIsSentForUnsafeOrMissingTargets) {
    LoopbackServer server([](const ServedRequest&) { return HttpReply(400, "Bad Request", ""); }, "127.0.0.35", 80);
    for (const char* url : {"http://127.0.0.35/a\r\nX-Injected: 1", "http://127.0.0.35/a b",
                            "http://127.0.0.35/a\nGET /second HTTP/1.1", "https://127.0.0.35/a",
                            "http://127.0.0.35:80/a", ""}) {
        EXPECT_FALSE(IsBadRequestHost(Text(url))) << url;
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_FALSE(IsBadRequestHost(Text("http://127.0.0.36/nobody-listens")));
}

TEST(GetRedirectTargetTest, ReturnsTheLocationUnchanged) {
    PageServer server;
    server.Set("/abs", Redirect("http://127.0.0.2/next"));
    server.Set("/rel", Redirect("next/step?x=1"));
    server.Set("/plain", HttpReply(200, "OK", "not a redirect"));
    struct Case {
        const char* path;
        const char* want;
    } cases[] = {{"/abs", "http://127.0.0.2/next"}, {"/rel", "next/step?x=1"}, {"/plain", ""}};
    for (const Case& c : cases) {
        Text url(server.Url(c.path));
        const RedirectProbe probe = GetRedirectTarget(url);
        EXPECT_EQ(probe.location, Text(c.want)) << c.path;
        EXPECT_EQ(probe.requestedUrl, url) << c.path;
    }
    const RedirectProbe empty = GetRedirectTarget(Text());
    EXPECT_EQ(empty.location, Text());
    EXPECT_EQ(empty.requestedUrl, Text("http://"));
    const Text bare(server.Url("/abs").substr(7));
    EXPECT_EQ(GetRedirectTarget(bare).requestedUrl, Text(server.Url("/abs")));
}

// The probe needs only the headers: it stops reading there, however long the
// body (an endless one would otherwise run into the body cap and fail), and
// the Location's bytes come back as they were sent.
TEST(GetRedirectTargetTest, ReadsOnlyTheHeaders) {
    PageServer server;
    loopback::Reply endless{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.2/\xD6\xD0\xFF\r\nContent-Length: 1073741824\r\n\r\n"};
    endless.endlessBodyChunk = 64 * 1024;
    server.Set("/endless", endless);
    EXPECT_EQ(GetRedirectTarget(Text(server.Url("/endless"))).location, Text("http://127.0.0.2/\xD6\xD0\xFF"));
}

}  // namespace
}  // namespace kestrane
