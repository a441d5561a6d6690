#pragma once

// The share-page download: one HTTP GET with the program's browser identity.

#include <chrono>
#include <cstddef>

#include "platform/text.h"

namespace kestrane {

// Bounds that keep a dead, slow or endless server from holding the window.
struct PageFetchLimits {
    std::chrono::milliseconds connectTimeout{10'000};  // TCP and TLS set-up
    std::chrono::seconds stallTimeout{30};             // no byte arriving for this long ends the read
    std::chrono::milliseconds totalTimeout{60'000};    // the whole fetch, redirects included
    std::size_t maxBytes = 32u << 20;                  // bytes beyond this are not read
    long maxRedirects = 10;
};

// The body of the response to a GET of `url` (any status), or empty Bytes when
// nothing could be fetched. Everything from the first "#" is dropped; only
// http and https urls give a page. A read that fails part-way, runs into a
// time limit or reaches the size cap returns the bytes read so far.
Bytes FetchPageBytes(const Text& url);

// The limits in force; tests shorten them.
PageFetchLimits CurrentPageFetchLimits();
void SetPageFetchLimits(const PageFetchLimits& limits);

}  // namespace kestrane
