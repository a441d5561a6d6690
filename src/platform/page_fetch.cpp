#include "platform/page_fetch.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/curl_string.h"
#include "platform/network_limits.h"

namespace kestrane {

namespace {

thread_local PageFetchRecorder* t_recorder = nullptr;

struct Sink {
    Bytes* bytes;
    std::size_t cap;
    bool capped = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    const std::size_t room = sink->cap - sink->bytes->Size();
    if (n > room) {
        sink->bytes->Append(data, room);
        sink->capped = true;
        return 0;  // ends the transfer; what we have is kept
    }
    sink->bytes->Append(data, n);
    if (n == room) sink->capped = true;
    return n;
}

// Each status line seen (one per redirect hop) replaces the one before.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    const std::size_t n = size * count;
    if (auto status = ParseStatusLine(std::string_view(data, n))) {
        auto* outcome = static_cast<PageFetchOutcome*>(user);
        outcome->httpStatus = status->code;
        outcome->httpReason = status->reason;
    }
    return n;
}

// `url` without its fragment, normalised by curl's URL parser; empty when the
// url has no scheme or a scheme other than http and https.
std::string SplitPageUrl(const Text& url) {
    std::string raw = url.Str();
    if (const auto hash = raw.find('#'); hash != std::string::npos) raw.resize(hash);
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, raw.c_str(), 0) != CURLUE_OK) return {};
    const std::optional<std::string> scheme = UrlPart(parsed.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") return {};
    return UrlPart(parsed.get(), CURLUPART_URL).value_or(std::string());
}

PageFetchFailure Classify(CURLcode rc, const Sink& sink, const PageFetchOutcome& outcome) {
    if (sink.capped) return PageFetchFailure::kCutAtSizeCap;
    switch (rc) {
        case CURLE_OK: break;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT:
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
            return PageFetchFailure::kCouldNotConnect;
        case CURLE_OPERATION_TIMEDOUT: return PageFetchFailure::kTimedOut;
        default: return PageFetchFailure::kTransferFailed;
    }
    if (outcome.httpStatus >= 400) return PageFetchFailure::kHttpStatus;
    if (outcome.bytes == 0) return PageFetchFailure::kEmpty;
    return PageFetchFailure::kNone;
}

}  // namespace

PageFetcher::PageFetcher() : m_handle(MakeCurlEasy()) {}

PageFetchResult PageFetcher::Fetch(const Text& url) {
    PageFetchResult result;
    PageFetchOutcome& outcome = result.outcome;
    const std::string target = url.IsEmpty() ? std::string() : SplitPageUrl(url);
    if (target.empty()) {
        outcome.failure = PageFetchFailure::kNotHttpUrl;
        return result;
    }
    CURL* h = m_handle.get();
    if (h == nullptr) {
        outcome.failure = PageFetchFailure::kTransferFailed;
        outcome.curlMessage = "the HTTP client could not start";
        return result;
    }
    curl_easy_reset(h);

    const NetworkLimits limits = CurrentNetworkLimits();
    Sink sink{&result.body, limits.pageMaxBytes};
    char curlWords[CURL_ERROR_SIZE] = {};
    CurlSlist headers;
    AppendHeader(headers, "Accept: */*");
    AppendHeader(headers, "Cache-Control: no-cache");
    AppendHeader(headers, "Pragma: no-cache");

    curl_easy_setopt(h, CURLOPT_URL, target.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(h, CURLOPT_USERAGENT, kBrowserAgent);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, limits.pageMaxRedirects);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.pageConnect.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.pageTotal.count()));
    // No byte for the stall time: curl counts it in whole seconds.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, static_cast<long>(limits.pageStall.count() / 1000)));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &outcome);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curlWords);
    // The proxy comes from the environment (http_proxy, https_proxy, no_proxy),
    // which is how this system preconfigures one.
    const CURLcode rc = curl_easy_perform(h);  // whatever the outcome, the bytes read so far are the page
    // Nothing that dies with this call may stay set on the handle.
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);

    outcome.bytes = result.body.Size();
    outcome.failure = Classify(rc, sink, outcome);
    if (rc != CURLE_OK) outcome.curlMessage = curlWords[0] != '\0' ? curlWords : curl_easy_strerror(rc);
    return result;
}

Bytes FetchPageBytes(const Text& url) {
    // A handle per thread: fetches on different threads never wait for each other.
    thread_local PageFetcher fetcher;
    PageFetchResult result = fetcher.Fetch(url);
    if (PageFetchRecorder* recorder = t_recorder) {
        recorder->m_fetched = true;
        recorder->m_last = std::move(result.outcome);
    }
    return std::move(result.body);
}

PageFetchRecorder::PageFetchRecorder() : m_outer(t_recorder) { t_recorder = this; }

PageFetchRecorder::~PageFetchRecorder() { t_recorder = m_outer; }

}  // namespace kestrane
