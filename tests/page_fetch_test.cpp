#include "platform/page_fetch.h"

#include <gtest/gtest.h>

#include "loopback/loopback_server.h"

namespace kestrane {
namespace {

using loopback::HttpReply;
using loopback::PageServer;
using loopback::Redirect;
using loopback::Reply;

TEST(FetchPageBytesTest, SendsTheBrowserRequestWithoutTheFragment) {
    PageServer server;
    server.SetPage("/s/1abc?x=1", "the page");
    EXPECT_EQ(FetchPageBytes(Text(server.Url("/s/1abc?x=1#top"))).Str(), "the page");

    const auto requests = server.Server().Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.target, "/s/1abc?x=1");
    EXPECT_EQ(r.version, "HTTP/1.0");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
    EXPECT_EQ(r.Header("Accept"), "*/*");
    EXPECT_FALSE(r.HasHeader("Referer"));
}

TEST(FetchPageBytesTest, ReturnsBodiesWhateverTheStatusOrFraming) {
    PageServer server;
    server.Set("/moved", Redirect("/here"));
    server.SetPage("/here", "arrived");
    server.Set("/error", HttpReply(500, "Internal Server Error", "error page"));
    server.Set("/nolength", HttpReply(200, "OK", "read to the end", {}, false));
    server.Set("/binary", HttpReply(200, "OK", std::string("a\0b", 3)));
    // Content-Length promises more than arrives before the server resets.
    Reply cut = HttpReply(200, "OK", "partial");
    cut.bytes.replace(cut.bytes.find("Content-Length: 7"), 17, "Content-Length: 9999");
    cut.resetAfterBytes = true;
    server.Set("/cut", cut);

    struct Case {
        const char* path;
        std::string want;
    } cases[] = {
        {"/moved", "arrived"},
        {"/error", "error page"},
        {"/nolength", "read to the end"},
        {"/binary", std::string("a\0b", 3)},
        {"/cut", "partial"},
    };
    for (const Case& c : cases) EXPECT_EQ(FetchPageBytes(Text(server.Url(c.path))).Str(), c.want) << c.path;
}

TEST(FetchPageBytesTest, UrlsThatCannotGiveAPageFetchNothing) {
    PageServer server;
    server.SetPage("/", "never");
    const std::string hostPort = server.Url("/").substr(7);
    for (const std::string& url : {std::string(), hostPort, "ftp://" + hostPort, "#" + server.Url("/"),
                                  std::string("http://")}) {
        EXPECT_TRUE(FetchPageBytes(Text(url)).IsEmpty()) << url;
    }
    EXPECT_TRUE(server.Server().Requests().empty());
}

TEST(FetchPageBytesTest, RefusedConnectionGivesNothing) {
    std::string url;
    {
        PageServer gone;
        url = gone.Url("/");
    }
    EXPECT_TRUE(FetchPageBytes(Text(url)).IsEmpty());
}

}  // namespace
}  // namespace kestrane
