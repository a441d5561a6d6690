#include "platform/curl_session.h"

#include <cstdlib>

namespace kestrane {

bool InitializeCurl() {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

CurlEasy MakeCurlEasy() {
    if (!InitializeCurl()) return nullptr;
    return CurlEasy(curl_easy_init());
}

void AppendHeader(CurlSlist& list, const char* header) {
    if (curl_slist* grown = curl_slist_append(list.get(), header)) {
        (void)list.release();
        list.reset(grown);
    }
}

std::optional<StatusLine> ParseStatusLine(std::string_view line) {
    if (!line.starts_with("HTTP/")) return std::nullopt;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    StatusLine status;
    const auto s1 = line.find(' ');
    if (s1 == std::string_view::npos) return status;
    const auto s2 = line.find(' ', s1 + 1);
    status.code = std::strtol(std::string(line.substr(s1 + 1, s2 == std::string_view::npos ? s2 : s2 - s1 - 1)).c_str(),
                              nullptr, 10);
    if (s2 != std::string_view::npos) status.reason = std::string(line.substr(s2 + 1));
    return status;
}

}  // namespace kestrane
