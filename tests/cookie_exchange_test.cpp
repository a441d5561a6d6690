#include "http/cookie_exchange.h"

#include <gtest/gtest.h>

#include "http/cookie_store.h"
#include "http/http_request.h"
#include "http/text_between.h"
#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::HttpReply;
using loopback::PageServer;
using loopback::ServedRequest;

class CookieExchangeTest : public ::testing::Test {
protected:
    void SetUp() override { GlobalCookieStore = std::make_unique<CookieStore>(); }
    void TearDown() override { GlobalCookieStore.reset(); }

    // Sends one GET of `path` with cookie keeping as given; returns what the server saw.
    ServedRequest Get(HttpRequest& r, const std::string& path) {
        Text url(server.Url(path));
        r.Open(std::nullopt, url);
        r.Send();
        return server.Server().Requests().back();
    }

    PageServer server;
};

TEST_F(CookieExchangeTest, ASecondRequestCarriesTheCookiesOfTheFirst) {
    server.Set("/login", HttpReply(200, "OK", "", {{"Set-Cookie", "sid=xyz; path=/"}, {"set-cookie", "lang=zh;"}}));
    server.Set("/next", HttpReply(200, "OK", ""));
    HttpRequest r;
    r.SetKeepCookies(true);
    EXPECT_FALSE(Get(r, "/login").HasHeader("Cookie"));
    EXPECT_EQ(GlobalCookieStore->GetCookie(Text("127.0.0.1"), Text("sid")), Text("xyz"));
    EXPECT_EQ(GlobalCookieStore->GetCookie(Text("127.0.0.1"), Text("lang")), Text("zh"));
    EXPECT_EQ(Get(r, "/next").Header("Cookie"), "sid=xyz; lang=zh; ");  // "; " after each, the last one too

    HttpRequest plain;  // cookie keeping off: nothing attached, nothing stored
    EXPECT_FALSE(Get(plain, "/next").HasHeader("Cookie"));
}

// Cookies go by the host the request really goes to: user information in the
// URL is not a host, and a response after a redirect to another host files
// its cookies under that host.
TEST_F(CookieExchangeTest, CookiesFollowTheRealHost) {
    GlobalCookieStore->SetCookie(Text("a.example"), Text("secret"), Text("1"));
    GlobalCookieStore->SetCookie(Text("127.0.0.1"), Text("mine"), Text("2"));
    server.Set("/x", HttpReply(200, "OK", ""));
    HttpRequest r;
    r.SetKeepCookies(true);
    const Text url("http://a.example:pw@" + server.Url("/x").substr(7));
    r.Open(std::nullopt, url);
    EXPECT_EQ(r.Host(), Text("127.0.0.1"));
    r.Send();
    EXPECT_EQ(server.Server().Requests().back().Header("Cookie"), "mine=2; ");

    PageServer other("127.0.0.2");
    other.Set("/set", HttpReply(200, "OK", "", {{"Set-Cookie", "from=other; path=/"}}));
    server.Set("/away", loopback::Redirect(other.Url("/set")));
    Get(r, "/away");
    EXPECT_EQ(GlobalCookieStore->GetCookie(Text("127.0.0.2"), Text("from")), Text("other"));
    EXPECT_EQ(GlobalCookieStore->GetCookie(Text("127.0.0.1"), Text("from")), Text());
    // The first host's cookies did not travel to the second either.
    EXPECT_FALSE(other.Server().Requests().back().HasHeader("Cookie"));
}

// A cookie holding a control byte is neither stored nor sent, and the
// host's other cookies still go.
TEST_F(CookieExchangeTest, ControlBytesSpoilOnlyTheirOwnCookie) {
    server.Set("/set", loopback::Reply{"HTTP/1.1 200 OK\r\nSet-Cookie: bad=x\x01y; path=/\r\n"
                                       "Set-Cookie: cr=a\rb;\r\nSet-Cookie: good=1; path=/\r\nContent-Length: 0\r\n\r\n"});
    server.Set("/next", HttpReply(200, "OK", ""));
    HttpRequest r;
    r.SetKeepCookies(true);
    Get(r, "/set");
    EXPECT_EQ(GlobalCookieStore->CookieCount(Text("127.0.0.1"), true), 1);
    EXPECT_EQ(GlobalCookieStore->GetCookie(Text("127.0.0.1"), Text("good")), Text("1"));
    GlobalCookieStore->SetCookie(Text("127.0.0.1"), Text("planted"), Text("a\r\nX-Evil: 1"));
    GlobalCookieStore->SetCookie(Text("127.0.0.1"), Text("tab"), Text("a\tb"));
    const ServedRequest seen = Get(r, "/next");
    EXPECT_EQ(seen.Header("Cookie"), "good=1; ");
    EXPECT_FALSE(seen.HasHeader("X-Evil"));
}

TEST_F(CookieExchangeTest, AttachSkipsBlankValues) {
    server.Set("/x", HttpReply(200, "OK", ""));
    HttpRequest r;
    Text url(server.Url("/x"));
    r.Open(std::nullopt, url);
    EXPECT_FALSE(AttachStoredCookies(r.GetRequestObject(), r.Host()));
    GlobalCookieStore->SetCookie(r.Host(), Text("a"), Text("1"));
    GlobalCookieStore->SetCookie(r.Host(), Text("b"), Text(" "));
    GlobalCookieStore->SetCookie(r.Host(), Text("c"), Text("3"));
    EXPECT_TRUE(AttachStoredCookies(r.GetRequestObject(), r.Host()));
    r.Send();
    EXPECT_EQ(server.Server().Requests().back().Header("Cookie"), "a=1; c=3; ");
    EXPECT_FALSE(AttachStoredCookies(ObjectRef(), r.Host()));
}

TEST_F(CookieExchangeTest, ReadingCookiesOutOfResponseHeaders) {
    server.Set("/c", HttpReply(200, "OK", "",
                               {{"Set-Cookie", "sid=xyz; path=/"},
                                {"set-cookie", "lang=zh;"},
                                {"Set-Cookie", "t=a=b; path=/"},
                                {"Set-Cookie", "sid=later;"},
                                {"X-After", "tail;"}}));
    server.Set("/bare", HttpReply(200, "OK", "", {{"Set-Cookie:sid", "1;"}}));
    server.Set("/open", HttpReply(200, "OK", "", {{"Set-Cookie", "open=1"}, {"X-Next", "v;"}}));
    HttpRequest r;
    Get(r, "/c");
    EXPECT_TRUE(StoreResponseCookies(r.GetRequestObject(), r.Host()));
    EXPECT_EQ(GlobalCookieStore->GetCookie(r.Host(), Text("sid")), Text("later"));  // the later one stays
    EXPECT_EQ(GlobalCookieStore->GetCookie(r.Host(), Text("t")), Text("a=b"));
    EXPECT_EQ(r.GetResponseCookie(Text("sid")), Text("xyz"));  // the first one
    EXPECT_EQ(r.GetResponseCookie(Text("lang")), Text());       // case-sensitive search
    EXPECT_EQ(r.GetResponseCookie(Text("t")), Text("a=b"));
    EXPECT_EQ(r.GetSetCookieLines(), Text("Set-Cookie: sid=xyz; path=/\r\nSet-Cookie: t=a=b; path=/\r\nSet-Cookie: sid=later;\r\n"));

    Get(r, "/bare");  // "Set-Cookie:sid: 1;" as the server writes it: no blank before the name
    EXPECT_EQ(r.GetSetCookieLines(), Text("Set-Cookie:sid: 1;\r\n"));

    GlobalCookieStore->ClearCookies();
    Get(r, "/open");
    EXPECT_FALSE(StoreResponseCookies(r.GetRequestObject(), r.Host()));  // no ";" on its line
    EXPECT_EQ(r.GetResponseCookie(Text("open")), Text("1\r\nX-Next: v"));  // runs on to the next ";"

    HttpRequest unsent;
    EXPECT_FALSE(StoreResponseCookies(unsent.GetRequestObject(), unsent.Host()));
    EXPECT_EQ(unsent.GetSetCookieLines(), Text());
    EXPECT_FALSE(StoreResponseCookies(ObjectRef(), Text("h")));
}

TEST(TextBetweenTest, Table) {
    int length = -1, start = -1;
    EXPECT_EQ(TextBetween(Text("k=v;"), Text("k="), Text(";"), std::nullopt, &length, std::nullopt, &start), Text("v"));
    EXPECT_EQ(start, 3);
    EXPECT_EQ(length, 1);

    struct Case {
        const char* what;
        Text got;
        Text want;
    } cases[] = {
        {"maxLength 0 and rejectLonger", TextBetween(Text("k=v;"), Text("k="), Text(";"), {}, nullptr, 0, nullptr, true), Text()},
        {"maxLength 0 alone", TextBetween(Text("k=v;"), Text("k="), Text(";"), {}, nullptr, 0), Text()},
        {"maxLength cuts", TextBetween(Text("k=value;"), Text("k="), Text(";"), {}, nullptr, 3), Text("val")},
        {"rejectLonger keeps a short value", TextBetween(Text("k=v;"), Text("k="), Text(";"), {}, nullptr, 5, nullptr, true), Text("v")},
        {"rejectLonger without maxLength", TextBetween(Text("k=v;"), Text("k="), Text(";"), {}, nullptr, {}, nullptr, true), Text()},
        {"searchFrom skips", TextBetween(Text("k=1;k=2;"), Text("k="), Text(";"), 2), Text("2")},
        {"searchFrom below 1", TextBetween(Text("k=1;"), Text("k="), Text(";"), -4), Text("1")},
        {"no end marker", TextBetween(Text("k=1"), Text("k="), Text(";")), Text()},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << c.what;

    length = start = -1;
    EXPECT_EQ(TextBetween(Text("x;"), Text("k="), Text(";"), {}, &length, {}, &start), Text());
    EXPECT_EQ(length, -1);  // neither out-argument written
    EXPECT_EQ(start, -1);
    EXPECT_EQ(TextBetween(Text("k=;"), Text("k="), Text(";"), {}, &length), Text());
    EXPECT_EQ(length, 0);
}

}  // namespace
}  // namespace kestrane
