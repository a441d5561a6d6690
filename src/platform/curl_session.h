#pragma once

// RAII for libcurl: the library is initialised once per process, and easy
// handles are owned by unique_ptr.

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kestrane {

struct CurlEasyCleanup {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;

struct CurlSlistFree {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistFree>;

struct CurlUrlCleanup {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlCleanup>;

// Initialises libcurl for the process, once; later calls only say how that
// went. Call it on the main thread before other threads use libcurl.
bool InitializeCurl();

// Initialises libcurl for the process on first use, and makes a new handle.
CurlEasy MakeCurlEasy();

// Appends `header` to `list`, keeping the list when allocation fails.
void AppendHeader(CurlSlist& list, const char* header);

// The status code and reason phrase of a status line ("HTTP/1.1 400 Bad
// Request", line end included or not); nothing for any other header line.
struct StatusLine {
    long code = 0;
    std::string reason;
};
std::optional<StatusLine> ParseStatusLine(std::string_view line);

// The agent string the program presents to web servers.
inline constexpr const char* kBrowserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

}  // namespace kestrane
