#pragma once

// A string that libcurl allocated (curl_url_get, curl_easy_escape, ...),
// freed with curl_free when its owner goes.

#include <curl/curl.h>

#include <memory>

namespace kestrane {

struct CurlFree {
    void operator()(char* p) const { curl_free(p); }
};
using CurlString = std::unique_ptr<char, CurlFree>;

}  // namespace kestrane
