#include "http/http_request.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>

#include <openssl/evp.h>

#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/http_request_component.h"
#include "platform/code_page.h"
#include "platform/network_limits.h"
#include "loopback/loopback_server.h"
#include "support/tls_server.h"
#include "support/scoped_creation_failure.h"

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
    const Variant readBack = r.Option(kOptionEnableRedirects, 0);
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
    const Text bare(server.Url("/hello").substr(7));  // "127.0.0.1:port/hello"
    EXPECT_EQ(r.Open(std::nullopt, bare), Url("/hello"));
    EXPECT_EQ(r.Host(), Text("127.0.0.1"));
    r.Send();
    EXPECT_EQ(r.Status(), 201);

    EXPECT_EQ(r.Open(std::nullopt, Text()), Text("http://"));
    EXPECT_EQ(r.Host(), Text());
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");  // the component refuses "http://"

    // The scheme in any letter case: no prefix, and the host is the real one.
    EXPECT_EQ(r.Open(std::nullopt, Text("Http://Example.COM/x")), Text("Http://Example.COM/x"));
    EXPECT_EQ(r.Host(), Text("example.com"));
}

TEST_F(HttpRequestTest, ACopySharesTheInstance) {
    HttpRequest first;
    Text url = Url("/hello");
    first.Open(std::nullopt, url);
    {
        HttpRequest copy = first;
        EXPECT_EQ(copy.GetRequestObject(), first.GetRequestObject());
        EXPECT_EQ(copy.Host(), first.Host());
        copy.Send();
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
    HttpRequest(r).Abort();
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
    test::ScopedCreationFailure failing(kHttpRequestProgId);
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
    r.SetAutoLogonPolicy(kAutoLogonNever);
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
    r.SetProxy(kProxyDirect, Text());  // direct again: proxy settings outlive Open
    r.SetTimeouts(0, 2000, 2000, 300);
    const auto started = std::chrono::steady_clock::now();
    r.Send();
    EXPECT_EQ(LastErrorUtf8(r), "发现异常");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

// An Open the component refuses ends the earlier request too: nothing is sent
// again and no earlier response is reported.
TEST_F(HttpRequestTest, ARefusedOpenLeavesNothingBehind) {
    for (const char* badVerb : {"", "BAD VERB"}) {
        HttpRequest r;
        r.Open(std::nullopt, Url("/hello"));
        r.Send();
        ASSERT_EQ(r.Status(), 201);
        const std::size_t sent = server.Server().Requests().size();
        if (*badVerb == '\0') {
            r.Open(std::nullopt, Text("http://"));
        } else {
            r.Open(Text(badVerb), Url("/hello"));
        }
        EXPECT_EQ(LastErrorUtf8(r), "发现异常") << badVerb;
        r.Send();
        EXPECT_EQ(LastErrorUtf8(r), "发现异常") << badVerb;
        EXPECT_EQ(r.Status(), 0) << badVerb;
        EXPECT_EQ(r.ResponseText(), Text()) << badVerb;
        EXPECT_EQ(r.GetAllResponseHeaders(), Text()) << badVerb;
        EXPECT_EQ(server.Server().Requests().size(), sent) << badVerb;
    }
}

// No CR, LF or NUL from a caller's text reaches the request: each such call
// is refused, and the request goes out without it.
TEST_F(HttpRequestTest, LineBreaksAndNulNeverReachTheRequest) {
    struct Case {
        const char* what;
        std::function<void(HttpRequest&)> call;
        bool lastCallRefused;  // false where a read-back follows the refused write
    } cases[] = {
        {"agent", [](HttpRequest& r) { r.Option(kOptionUserAgentString, std::nullopt, Text("A\r\nX-Evil: 1")); }, false},
        {"agent (NUL)",
         [](HttpRequest& r) {
             CallMember(r.GetRequestObject(), http_member::kOption, CallKind::kPut,
                        {Variant(std::int32_t{kOptionUserAgentString}), Variant(std::u16string(u"A\0X-Evil: 1", 11))});
         },
         true},
        {"user name", [](HttpRequest& r) { r.SetCredentials(Text("u\r\nX-Evil: 1"), Text("p")); }, true},
        {"password", [](HttpRequest& r) { r.SetCredentials(Text("u"), Text("p\nX-Evil: 1")); }, true},
        {"proxy user name", [](HttpRequest& r) { r.SetCredentials(Text("u\rX-Evil: 1"), Text("p"), kCredentialsForProxy); }, true},
        {"header value", [](HttpRequest& r) { r.SetRequestHeader(Text("X-Test"), Text("a\r\nX-Evil: 1")); }, true},
        {"header value (NUL)",
         [](HttpRequest& r) {
             CallMember(r.GetRequestObject(), http_member::kSetRequestHeader, CallKind::kMethod,
                        {Variant(u"X-Test"), Variant(std::u16string(u"a\0X-Evil: 1", 11))});
         },
         true},
    };
    for (const Case& c : cases) {
        HttpRequest r;
        r.Open(std::nullopt, Url("/hello"));
        c.call(r);
        if (c.lastCallRefused) {
            EXPECT_EQ(LastErrorUtf8(r), "发现异常") << c.what;
        }
        r.Send();
        EXPECT_EQ(r.Status(), 201) << c.what;
        const ServedRequest seen = LastSeen();
        EXPECT_FALSE(seen.HasHeader("X-Evil")) << c.what;
        EXPECT_EQ(seen.Header("User-Agent"), kHttpRequestDefaultAgent) << c.what;
        EXPECT_FALSE(seen.HasHeader("X-Test")) << c.what;
        EXPECT_FALSE(seen.HasHeader("Authorization")) << c.what;
    }
}

// Whatever SetTimeouts sets, a request ends: a step without a limit does not
// let a trickling server hold it.
TEST_F(HttpRequestTest, ARequestEndsWhateverTheTimeouts) {
    NetworkLimits limits;
    limits.requestTotal = std::chrono::seconds(1);
    SetNetworkLimits(limits);
    Reply trickle = HttpReply(200, "OK", std::string(200, 't'));
    trickle.pace = std::chrono::milliseconds(100);  // 20 s and more for the whole reply
    server.Set("/trickle", trickle);
    for (const std::array<std::int32_t, 4>& t : {std::array<std::int32_t, 4>{0, 0, 0, 0}, {0, 2000, 2000, 2000}, {-1, 500, 500, 0}}) {
        HttpRequest r;
        r.Open(std::nullopt, Url("/trickle"));
        r.SetTimeouts(t[kResolveTimeout], t[kConnectTimeout], t[kSendTimeout], t[kReceiveTimeout]);
        r.Send();
        EXPECT_EQ(LastErrorUtf8(r), "发现异常") << t[0] << "," << t[1] << "," << t[2] << "," << t[3];
        EXPECT_EQ(r.Status(), 0);
    }
    SetNetworkLimits(NetworkLimits());
}

// Header bytes that are not UTF-8 come back as they were sent.
TEST_F(HttpRequestTest, ANonUtf8LocationKeepsItsBytes) {
    // GBK, stray bytes, a cut UTF-8 sequence; and GBK whose last pair (D0 A1,
    // "小") is also a well-formed UTF-8 sequence.
    for (const std::string location : {"/\xD6\xD0\xCE\xC4/\xFF\x80z?\xE4\xB8", "/\xD6\xD0\xCE\xC4\xD0\xA1"}) {
        server.Set("/gbk-redirect", Redirect(location));
        HttpRequest r;
        r.Open(std::nullopt, Url("/gbk-redirect"));
        r.Option(kOptionEnableRedirects, 0);
        r.Send();
        EXPECT_EQ(r.GetResponseHeader(Text("Location")).Str(), location);
        EXPECT_NE(r.GetAllResponseHeaders().Find(Text("Location: " + location + "\r\n")), -1);
    }
    server.Set("/utf8-redirect", Redirect("/\xE4\xB8\xAD"));
    HttpRequest r;
    r.Open(std::nullopt, Url("/utf8-redirect"));
    r.Option(kOptionEnableRedirects, 0);
    r.Send();
    EXPECT_EQ(AnsiToUtf8(r.GetResponseHeader(Text("Location"))), "/中");  // UTF-8 arrives as the ANSI text
}

// Credentials answer a server's challenge, Basic or Digest.
TEST(HttpRequestCredentialsTest, BasicAndDigestChallengesAreAnswered) {
    const std::string realm = "kestrane", nonce = "n0nce-42";
    const auto md5 = [](const std::string& s) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        EVP_Digest(s.data(), s.size(), digest, &n, EVP_md5(), nullptr);
        std::string hex;
        for (unsigned int i = 0; i < n; ++i) hex += "0123456789abcdef"[digest[i] >> 4], hex += "0123456789abcdef"[digest[i] & 15];
        return hex;
    };
    // The parameters of a Digest Authorization header.
    const auto params = [](const std::string& header) {
        std::map<std::string, std::string> out;
        std::size_t at = header.find(' ');
        while (at != std::string::npos && at < header.size()) {
            const std::size_t eq = header.find('=', at);
            if (eq == std::string::npos) break;
            std::string key = header.substr(at, eq - at);
            key.erase(0, key.find_first_not_of(" ,"));
            std::string value;
            std::size_t next;
            if (header[eq + 1] == '"') {
                const std::size_t close = header.find('"', eq + 2);
                value = header.substr(eq + 2, close - eq - 2);
                next = close + 1;
            } else {
                next = header.find(',', eq);
                value = header.substr(eq + 1, next == std::string::npos ? std::string::npos : next - eq - 1);
            }
            out[key] = value;
            at = next;
        }
        return out;
    };
    LoopbackServer basic([](const ServedRequest& req) {
        if (req.Header("Authorization") == "Basic YWxpY2U6czNjcmV0") return HttpReply(200, "OK", "basic welcome");
        return HttpReply(401, "Unauthorized", "", {{"WWW-Authenticate", "Basic realm=\"kestrane\""}});
    });
    LoopbackServer digest([&](const ServedRequest& req) {
        const std::string auth = req.Header("Authorization");
        if (auth.starts_with("Digest ")) {
            auto p = params(auth);
            const std::string ha1 = md5(p["username"] + ":" + realm + ":s3cret");
            const std::string ha2 = md5(req.method + ":" + p["uri"]);
            const std::string want = md5(ha1 + ":" + nonce + ":" + p["nc"] + ":" + p["cnonce"] + ":" + p["qop"] + ":" + ha2);
            if (p["username"] == "alice" && p["nonce"] == nonce && p["response"] == want) return HttpReply(200, "OK", "digest welcome");
        }
        return HttpReply(401, "Unauthorized", "",
                         {{"WWW-Authenticate", "Digest realm=\"" + realm + "\", nonce=\"" + nonce + "\", qop=\"auth\", algorithm=MD5"}});
    });
    struct Case {
        LoopbackServer* server;
        const char* password;
        int status;
        const char* body;
    } cases[] = {
        {&basic, "s3cret", 200, "basic welcome"},
        {&basic, "wrong", 401, ""},
        {&digest, "s3cret", 200, "digest welcome"},
        {&digest, "wrong", 401, ""},
    };
    for (const Case& c : cases) {
        HttpRequest r;
        r.Open(std::nullopt, Text(c.server->Url("/private")));
        r.SetCredentials(Text("alice"), Text(c.password));
        r.Send();
        EXPECT_EQ(r.Status(), c.status) << c.server->Url() << " " << c.password;
        EXPECT_EQ(r.ResponseText(), Text(c.body)) << c.server->Url() << " " << c.password;
    }
}

// A client certificate is presented to a TLS server that requires one; a
// certificate its CA never signed, or none, gets no answer.
TEST(HttpRequestTlsTest, AClientCertificateIsPresented) {
    test::ClientAuthTlsServer server;
    ASSERT_TRUE(server.IsRunning());
    struct Case {
        std::string certificate;
        int status;
    } cases[] = {{server.ClientCertificate(), 200}, {"", 0}, {server.StrangerCertificate(), 0}};
    for (const Case& c : cases) {
        HttpRequest r;
        r.Open(std::nullopt, Text(server.Url("/")));
        r.Option(kOptionSslErrorIgnoreFlags, 0x3300);  // the throwaway CA is nobody's
        r.SetClientCertificate(Text(c.certificate));
        r.Send();
        EXPECT_EQ(r.Status(), c.status) << c.certificate;
        if (c.status == 200) {
            EXPECT_NE(r.ResponseText().Find("s_server"), -1);
        }
    }
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
        // User information is not the host: the host follows the last "@".
        {"http://user:pw@host/", "host"},
        {"http://[::1]:8080/x", "[::1]"},
        {"http://[FE80::2]/", "[fe80::2]"},
        {"http://u@[::1]", "[::1]"},
        {"http://a.example:pw@b.example/", "b.example"},
        {"http://a@b@c.example:81/x", "c.example"},
        {"http://evil.example#@good.example/", "evil.example"},
        {"http://evil.example?@good.example/", "evil.example"},
        {"http://host.example?q=/", "host.example"},
        // The scheme in any letter case.
        {"Http://Host/path", "host"},
        {"HTTPS://Host:1/path", "host"},
        {"http://\xB0\x40x/", "\xB0\x40x"},  // 0x40 ("@") as the second byte of a double-byte character
        // The scheme's length cuts into a double-byte character: the host ends by its own reading.
        {"httptu\xEB\xEB\xEB/\n/xtp://c.d/e", "\xEB\xEB"},
        {"https://", ""},
        {"", ""},
        {"http://H\xD6\x41/x", "h\xD6\x41"},  // the second byte of a double-byte character stays
    };
    for (const Case& c : cases) EXPECT_EQ(HostOfUrl(Text(c.url)), Text(c.want)) << c.url;
}

}  // namespace
}  // namespace kestrane
