#include "platform/page_fetch.h"

#include <algorithm>
#include <mutex>
#include <string>

#include "platform/curl_session.h"
#include "platform/network_limits.h"

namespace kestrane {

namespace {

std::mutex g_mutex;  // the one handle serves one fetch at a time

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

Bytes FetchPageBytes(const Text& url) {
    if (url.IsEmpty()) return {};
    const std::string target = SplitPageUrl(url);
    if (target.empty()) return {};

    const NetworkLimits limits = CurrentNetworkLimits();
    std::lock_guard lock(g_mutex);
    CURL* h = SharedHandle();
    if (h == nullptr) return {};
    curl_easy_reset(h);

    Bytes body;
    Sink sink{&body, limits.pageMaxBytes};
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
    // The proxy comes from the environment (http_proxy, https_proxy, no_proxy),
    // which is how this system preconfigures one.
    curl_easy_perform(h);  // whatever the outcome, the bytes read so far are the page
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
    return body;
}

}  // namespace kestrane
