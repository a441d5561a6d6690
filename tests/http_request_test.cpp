#include "http/http_request.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/http_request_component.h"
#include "platform/code_page.h"
#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::HttpReply;
using loopback::LoopbackServer;
using loopback::PageServer;
using loopback::Redirect;
using loopback::Reply;
using loopback::ServedRequest;

std::string LastErrorUtf8(const HttpRequest& r) { return AnsiToUtf8(r.LastError()); }

class HttpRequestTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.Set("/hello", HttpReply(201, "Created Fine", "hello body", {{"X-One", "1"}, {"Content-Type", "text/plain"}}));
        server.Set("/moved", Redirect("/hello"));
        server.Set("/gbk", HttpReply(200, "OK", "\xD6\xD0", {{"Content-Type", "text/plain; charset=GBK"}}));
        server.Set("/utf8", HttpReply(200, "OK", "\xE4\xB8\xAD", {{"Content-Type", "text/plain; charset=utf-8"}}));
        server.Set("/cookies", HttpReply(200, "OK", "", {{"Set-Cookie", "sid=xyz; path=/"}}));
    }
    Text Url(const std::string& path) const { return Text(server.Url(path)); }
    ServedRequest LastSeen() { return server.Server().Requests().back(); }

    PageServer server;
};

TEST_F(HttpRequestTest, ReadsStatusHeadersAndBody) {
    HttpRequest r;
    ASSERT_TRUE(r.IsValid());
    Text url = Url("/hello");
    r.Open(std::nullopt, url);
    r.Send();
    EXPECT_EQ(LastErrorUtf8(r), "");
    EXPECT_EQ(r.Status(), 201);
    EXPECT_EQ(r.StatusText(), Text("Created Fine"));
    EXPECT_EQ(r.ResponseText(), Text("hello body"));
    EXPECT_EQ(r.ResponseBody().Str(), "hello body");
    EXPECT_EQ(r.GetResponseHeader(Text("x-one")), Text("1"));
    const Text all = r.GetAllResponseHeaders();
    EXPECT_NE(all.Find("X-One: 1\r\n"), -1);
    EXPECT_NE(all.Find("Content-Length: 10\r\n"), -1);

    EXPECT_EQ(r.GetResponseHeader(Text("X-Absent")), Text());
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");

    Variant stream = r.ResponseStream();
    ASSERT_EQ(stream.GetKind(), Variant::Kind::kObject);
    EXPECT_EQ(CallMember(stream.Object(), "Read", CallKind::kMethod).Array().elements.size(), 10u);

    const ServedRequest seen = LastSeen();
    EXPECT_EQ(seen.method, "GET");
    EXPECT_EQ(seen.version, "HTTP/1.1");
    EXPECT_EQ(seen.Header("User-Agent"), kHttpRequestDefaultAgent);
}

TEST_F(HttpRequestTest, ResponseTextFollowsTheCharset) {
    HttpRequest r;
    for (const char* path : {"/gbk", "/utf8"}) {
        Text url = Url(path);
        r.Open(Text("GET"), url);
        r.Send();
        EXPECT_EQ(AnsiToUtf8(r.ResponseText()), "中") << path;
    }
}

TEST_F(HttpRequestTest, BodiesArriveIntact) {
    HttpRequest r;
    Text url = Url("/post");
    server.Set("/post", HttpReply(200, "OK", "ok"));
    r.Open(Text("POST"), url);
    r.SetRequestHeader(Text("X-Test"), Text("yes"));
    const Bytes binary(std::string("\x00\x01\xFF" "abc\x00", 7));
    r.SendBytes(binary);
    EXPECT_EQ(LastSeen().body, binary.Str());
    EXPECT_EQ(LastSeen().Header("X-Test"), "yes");

    r.Open(Text("PUT"), url);
    r.Send(Text::FromUtf8("中文"));
    EXPECT_EQ(LastSeen().method, "PUT");
    EXPECT_EQ(LastSeen().body, "中文");  // string bodies go as UTF-8

    r.Open(Text("POST"), url);
    r.SendBytes(Bytes());
    EXPECT_EQ(LastSeen().body, "");
    EXPECT_EQ(LastErrorUtf8(r), "");
}

TEST_F(HttpRequestTest, OptionSixSwitchesRedirectFollowing) {
    HttpRequest r;
    Text url = Url("/moved");
    r.Open(std::nullopt, url);
    r.Send();
    EXPECT_EQ(r.Status(), 201);  // followed by default

    r.Open(std::nullopt, url);
    const Variant readBack = r.Option(6, 0);
    EXPECT_EQ(readBack, Variant(std::int32_t{0}));
    r.Send();
    EXPECT_EQ(r.Status(), 302);
    EXPECT_EQ(r.GetResponseHeader(Text("Location")), Text("/hello"));
}

TEST_F(HttpRequestTest, OptionWritesTheFirstValueAndAlwaysReadsBack) {
    HttpRequest r;
    Text url = Url("/hello");
    r.Open(std::nullopt, url);
    EXPECT_EQ(r.Option(kOptionUrl), Variant(u"" + Utf8ToUtf16(url.Str())));
    EXPECT_EQ(r.Option(kOptionEnableRedirects), Variant(true));  // only reads
    EXPECT_EQ(r.Option(9, 7, Text("ignored")), Variant(std::int32_t{7}));
    EXPECT_EQ(r.Option(9, std::nullopt, Text("text")), Variant(u"text"));
    EXPECT_EQ(r.Option(9, std::nullopt, std::nullopt, Bytes("ab", 2)).Array(), (ByteArray{{'a', 'b'}, 1, false}));
    EXPECT_EQ(r.Option(9, std::nullopt, std::nullopt, std::nullopt, Variant(2.5)), Variant(2.5));
    r.Option(kOptionUserAgentString, std::nullopt, Text("Agent/1"));
    r.Send();
    EXPECT_EQ(LastSeen().Header("User-Agent"), "Agent/1");
    // A write the component refuses still ends with the read, whose outcome counts.
    EXPECT_EQ(r.Option(kOptionUrl, 1), Variant(Utf8ToUtf16(url.Str())));
    EXPECT_EQ(LastErrorUtf8(r), "");
    EXPECT_TRUE(r.Option(99).IsEmpty());
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");
}

TEST_F(HttpRequestTest, OpenCompletesTheUrlAndRecordsTheHost) {
    HttpRequest r;
    Text url = Text(server.Url("/hello").substr(7));  // "127.0.0.1:port/hello"
    r.Open(std::nullopt, url);
    EXPECT_EQ(url, Url("/hello"));
    EXPECT_EQ(r.Host(), Text("127.0.0.1"));
    r.Send();
    EXPECT_EQ(r.Status(), 201);

    Text empty;
    r.Open(std::nullopt, empty);
    EXPECT_EQ(empty, Text("http://"));
    EXPECT_EQ(r.Host(), Text());
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");  // the component refuses "http://"

    Text capital("Http://Example.COM/x");
    r.Open(std::nullopt, capital);
    EXPECT_EQ(capital, Text("Http://Example.COM/x"));
    EXPECT_EQ(r.Host(), Text("http"));
}

TEST_F(HttpRequestTest, ACopySharesTheInstance) {
    HttpRequest first;
    Text url = Url("/hello");
    first.Open(std::nullopt, url);
    {
        std::unique_ptr<HttpRequest> copy = first.Copy();
        EXPECT_EQ(copy->GetRequestObject(), first.GetRequestObject());
        EXPECT_EQ(copy->Host(), first.Host());
        copy->Send();
    }
    EXPECT_EQ(first.Status(), 201);  // the copy's send was the first's request
}

TEST_F(HttpRequestTest, AbortThroughACopyEndsAnAsynchronousRequest) {
    Reply hang;
    hang.hang = true;
    server.Set("/hang", hang);
    HttpRequest r;
    Text url = Url("/hang");
    r.Open(std::nullopt, url, true);
    r.Send();
    EXPECT_FALSE(r.WaitForResponse(0));
    const auto started = std::chrono::steady_clock::now();
    r.Copy()->Abort();
    EXPECT_TRUE(r.WaitForResponse(5));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(r.Status(), 0);
}

TEST_F(HttpRequestTest, FailuresGiveEmptyValues) {
    std::string refused;
    {
        PageServer gone;
        refused = gone.Url("/");
    }
    HttpRequest r;
    Text url(refused);
    r.Open(std::nullopt, url);
    r.Send();
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(r.StatusText(), Text());
    EXPECT_TRUE(r.ResponseBody().IsEmpty());

    HttpRequest unopened;
    unopened.Send();
    EXPECT_EQ(LastErrorUtf8(unopened), "发现异常");
}

TEST_F(HttpRequestTest, CreationFailureLeavesNoInstance) {
    ScopedCreationFailure failing(kHttpRequestProgId);
    HttpRequest r;
    EXPECT_FALSE(r.IsValid());
    Text url = Url("/hello");
    r.Open(std::nullopt, url);
    EXPECT_EQ(LastErrorUtf8(r), "对象为空");
    r.Send();
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(LastErrorUtf8(r), "对象为空");
    EXPECT_TRUE(server.Server().Requests().empty());
}

TEST_F(HttpRequestTest, CredentialsProxyTimeoutsAndPolicies) {
    HttpRequest r;
    Text url = Url("/hello");
    r.Open(std::nullopt, url);
    r.SetCredentials(Text("user"), Text("pass"));
    r.SetClientCertificate(Text(""));
    EXPECT_EQ(LastErrorUtf8(r), "");
    r.SetAutoLogonPolicy(2);
    EXPECT_EQ(LastErrorUtf8(r), "");
    r.SetAutoLogonPolicy(9);
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");
    r.Send();
    EXPECT_EQ(r.Status(), 201);

    // Through a named proxy: the proxy sees the absolute URL.
    PageServer proxy;
    proxy.Set("http://example.invalid/via", HttpReply(200, "Proxied", "p"));
    Text viaProxy("http://example.invalid/via");
    r.Open(std::nullopt, viaProxy);
    r.SetProxy(std::nullopt, Text(proxy.Url("").substr(7)));
    r.Send();
    EXPECT_EQ(r.StatusText(), Text("Proxied"));

    Reply hang;
    hang.hang = true;
    server.Set("/slow", hang);
    Text slow = Url("/slow");
    r.Open(std::nullopt, slow);
    r.SetProxy(1, Text());  // direct again: proxy settings outlive Open
    r.SetTimeouts(0, 2000, 2000, 300);
    const auto started = std::chrono::steady_clock::now();
    r.Send();
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(HostOfUrlTest, Table) {
    struct Case {
        const char* url;
        const char* want;
    } cases[] = {
        {"https://MiXed.Example.COM:8443/a/b", "mixed.example.com"},
        {"http://host.example", "host.example"},
        {"http://host.example/", "host.example"},
        {"host.example:8080/path", "host.example"},
        {"http://user:pw@host/", "user"},
        {"Http://Host/path", "http"},
        {"https://", ""},
        {"", ""},
        {"http://H\xD6\x41/x", "h\xD6\x41"},  // the second byte of a double-byte character stays
    };
    for (const Case& c : cases) EXPECT_EQ(HostOfUrl(Text(c.url)), Text(c.want)) << c.url;
}

}  // namespace
}  // namespace kestrane
