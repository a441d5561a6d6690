#include "platform/page_fetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "loopback/loopback_server.h"
#include "platform/network_limits.h"

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

// What became of a fetch, for each way a server can answer; the body is
// still what FetchPageBytes returns.
TEST(PageFetcherTest, TellsWhatBecameOfTheFetch) {
    NetworkLimits limits;
    limits.pageMaxBytes = 64;
    limits.pageTotal = std::chrono::milliseconds(400);
    SetNetworkLimits(limits);

    PageServer server;
    server.SetPage("/ok", "the page");
    server.Set("/moved", Redirect("/missing"));
    server.Set("/missing", HttpReply(404, "Not Found", "gone"));
    server.Set("/empty", HttpReply(200, "OK", ""));
    server.SetPage("/big", std::string(100, 'x'));
    server.SetPage("/exact", std::string(63, 'x'));
    Reply hang;
    hang.hang = true;
    server.Set("/hang", hang);
    Reply cut = HttpReply(200, "OK", "partial");
    cut.bytes.replace(cut.bytes.find("Content-Length: 7"), 17, "Content-Length: 9999");
    cut.resetAfterBytes = true;
    server.Set("/cut", cut);
    std::string refused;
    {
        PageServer gone;
        refused = gone.Url("/");
    }

    using enum PageFetchFailure;
    struct Case {
        std::string url;
        PageFetchFailure failure;
        long status;
        std::size_t bytes;
        bool curlWords;
    } cases[] = {
        {server.Url("/ok"), kNone, 200, 8, false},
        {server.Url("/moved"), kHttpStatus, 404, 4, false},
        {server.Url("/empty"), kEmpty, 200, 0, false},
        {server.Url("/big"), kCutAtSizeCap, 200, 64, true},
        {server.Url("/exact"), kNone, 200, 63, false},
        {server.Url("/hang"), kTimedOut, 0, 0, true},
        {server.Url("/cut"), kTransferFailed, 200, 7, true},
        {refused, kCouldNotConnect, 0, 0, true},
        {"ftp://127.0.0.1/", kNotHttpUrl, 0, 0, false},
        {"", kNotHttpUrl, 0, 0, false},
    };
    PageFetcher fetcher;
    for (const Case& c : cases) {
        const PageFetchResult r = fetcher.Fetch(Text(c.url));
        EXPECT_EQ(r.outcome.failure, c.failure) << c.url;
        EXPECT_EQ(r.outcome.httpStatus, c.status) << c.url;
        EXPECT_EQ(r.outcome.bytes, c.bytes) << c.url;
        EXPECT_EQ(r.body.Size(), c.bytes) << c.url;
        EXPECT_EQ(!r.outcome.curlMessage.empty(), c.curlWords) << c.url << ": " << r.outcome.curlMessage;
    }
    EXPECT_EQ(fetcher.Fetch(Text(server.Url("/missing"))).outcome.httpReason, "Not Found");
    SetNetworkLimits(NetworkLimits());
}

// FetchPageBytes keeps the window's contract (bytes only); a recorder on the
// same thread learns the outcome, one on another thread does not.
TEST(PageFetchRecorderTest, RecordsThisThreadsFetches) {
    PageServer server;
    server.Set("/missing", HttpReply(404, "Not Found", "gone"));
    PageFetchRecorder recorder;
    EXPECT_FALSE(recorder.HasFetched());
    std::thread([&] { (void)FetchPageBytes(Text(server.Url("/missing"))); }).join();
    EXPECT_FALSE(recorder.HasFetched());
    {
        PageFetchRecorder inner;
        EXPECT_EQ(FetchPageBytes(Text(server.Url("/missing"))).Str(), "gone");
        EXPECT_EQ(inner.Last().failure, PageFetchFailure::kHttpStatus);
    }
    EXPECT_FALSE(recorder.HasFetched());
    (void)FetchPageBytes(Text(server.Url("/missing")));
    ASSERT_TRUE(recorder.HasFetched());
    EXPECT_EQ(recorder.Last().httpStatus, 404);
}

// Fetches on several threads are in flight at the same time: the server
// answers only once all of them have arrived (or says "alone" after 5 s).
TEST(FetchPageBytesTest, ThreadsFetchAtTheSameTime) {
    constexpr int kThreads = 4;
    std::mutex mutex;
    std::condition_variable arrived;
    int count = 0;
    loopback::LoopbackServer server([&](const loopback::ServedRequest&) {
        std::unique_lock lock(mutex);
        ++count;
        arrived.notify_all();
        const bool together = arrived.wait_for(lock, std::chrono::seconds(5), [&] { return count >= kThreads; });
        return HttpReply(200, "OK", together ? "together" : "alone");
    });
    std::vector<std::string> bodies(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] { bodies[static_cast<std::size_t>(i)] = FetchPageBytes(Text(server.Url("/"))).Str(); });
        }
    }
    for (const std::string& body : bodies) EXPECT_EQ(body, "together");
}

}  // namespace
}  // namespace kestrane
