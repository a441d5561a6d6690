#include "platform/page_fetch.h"

#include <mutex>
#include <string>

#include "platform/curl_session.h"

namespace kestrane {

namespace {

std::mutex g_mutex;
PageFetchLimits g_limits;

struct Sink {
    Bytes* bytes;
    std::size_t cap;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const std::size_t n = size * count;
    const std::size_t room = sink->cap - sink->bytes->Size();
    if (n > room) {
        sink->bytes->Append(data, room);
        return 0;  // ends the transfer; what we have is kept
    }
    sink->bytes->Append(data, n);
    return n;
}

// The one handle of the program's life, made at the first fetch.
CURL* SharedHandle() {
    static CurlEasy handle = MakeCurlEasy();
    return handle.get();
}

// `url` without its fragment, normalised by curl's URL parser; empty when the
// url has no scheme or a scheme other than http and https.
std::string SplitPageUrl(const Text& url) {
    std::string raw = url.Str();
    if (const auto hash = raw.find('#'); hash != std::string::npos) raw.resize(hash);
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, raw.c_str(), 0) != CURLUE_OK) return {};
    char* scheme = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return {};
    const std::string s = scheme;
    curl_free(scheme);
    if (s != "http" && s != "https") return {};
    char* full = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_URL, &full, 0) != CURLUE_OK) return {};
    std::string out = full;
    curl_free(full);
    return out;
}

}  // namespace

PageFetchLimits CurrentPageFetchLimits() {
    std::lock_guard lock(g_mutex);
    return g_limits;
}

void SetPageFetchLimits(const PageFetchLimits& limits) {
    std::lock_guard lock(g_mutex);
    g_limits = limits;
}

Bytes FetchPageBytes(const Text& url) {
    if (url.IsEmpty()) return {};
    const std::string target = SplitPageUrl(url);
    if (target.empty()) return {};

    std::lock_guard lock(g_mutex);
    CURL* h = SharedHandle();
    if (h == nullptr) return {};
    curl_easy_reset(h);

    Bytes body;
    Sink sink{&body, g_limits.maxBytes};
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
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, g_limits.maxRedirects);
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(g_limits.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(g_limits.totalTimeout.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(g_limits.stallTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    // The proxy comes from the environment (http_proxy, https_proxy, no_proxy),
    // which is how this system preconfigures one.
    curl_easy_perform(h);  // whatever the outcome, the bytes read so far are the page
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    return body;
}

}  // namespace kestrane
