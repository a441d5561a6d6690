#include "platform/status_probe.h"

#include <string>

#include "platform/curl_session.h"
#include "platform/network_limits.h"

namespace kestrane {

namespace {

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    const std::size_t n = size * count;
    if (auto status = ParseStatusLine(std::string_view(data, n))) *static_cast<std::optional<std::string>*>(user) = status->reason;
    return n;
}

// Only the head matters; the body is not read.
std::size_t OnBody(char*, std::size_t, std::size_t, void*) { return 0; }

}  // namespace

bool IsPlainHostName(const Text& name) {
    if (name.IsEmpty()) return false;
    for (const char c : name.View()) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_' || c == '.';
        if (!ok) return false;
    }
    return true;
}

bool IsSafeRequestTarget(const Text& path) {
    for (const char c : path.View()) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) return false;
    }
    return true;
}

std::optional<Text> ProbeStatusText(const Text& serverName, const Text& objectPath) {
    if (!IsPlainHostName(serverName) || !IsSafeRequestTarget(objectPath)) return std::nullopt;
    CurlEasy easy = MakeCurlEasy();
    if (!easy) return std::nullopt;
    CURL* h = easy.get();
    const std::string url = "http://" + serverName.Str() + ":80/";
    const std::string target = objectPath.IsEmpty() ? std::string("/") : objectPath.Str();
    std::optional<std::string> reason;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(h, CURLOPT_USERAGENT, kBrowserAgent);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    const NetworkLimits limits = CurrentNetworkLimits();
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.probeConnect.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.probeTotal.count()));
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &reason);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_perform(h);  // a body cut short on purpose is no failure of the probe
    if (!reason) return std::nullopt;
    return Text(*reason);
}

}  // namespace kestrane
