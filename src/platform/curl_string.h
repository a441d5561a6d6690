#pragma once

// A string that libcurl allocated (curl_url_get, curl_easy_escape, ...),
// freed with curl_free when its owner goes.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>

namespace kestrane {

struct CurlFree {
    void operator()(char* p) const { curl_free(p); }
};
using CurlString = std::unique_ptr<char, CurlFree>;

// One part of a URL that libcurl's parser holds; nothing when it has none.
inline std::optional<std::string> UrlPart(CURLU* url, CURLUPart part) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, 0) != CURLUE_OK) return std::nullopt;
    const CurlString owned(raw);
    return std::string(owned.get());
}

}  // namespace kestrane
