#pragma once

// The share-page download: one HTTP GET with the program's browser identity.

#include <cstddef>
#include <string>

#include "platform/curl_session.h"
#include "platform/text.h"

namespace kestrane {

// Why a fetch gave no page, or a page that may not be the one asked for.
enum class PageFetchFailure {
    kNone,            // a non-empty body with a status below 400
    kNotHttpUrl,      // no request was sent: not an http or https url
    kCouldNotConnect, // name lookup, connection or TLS set-up failed
    kTimedOut,        // a time limit struck (see NetworkLimits)
    kTransferFailed,  // the exchange broke off for another reason
    kHttpStatus,      // the (last) response had a status of 400 or more
    kEmpty,           // the response had no body
    kCutAtSizeCap,    // the body reached NetworkLimits::pageMaxBytes
};

struct PageFetchOutcome {
    PageFetchFailure failure = PageFetchFailure::kNone;
    long httpStatus = 0;       // of the last response; 0 when none arrived
    std::string httpReason;    // its reason phrase
    std::string curlMessage;   // libcurl's words for a failed exchange
    std::size_t bytes = 0;     // body bytes kept
};

struct PageFetchResult {
    Bytes body;
    PageFetchOutcome outcome;
};

// One easy handle, reused fetch after fetch; one fetch at a time. Several
// fetchers on several threads run independently.
class PageFetcher {
public:
    PageFetcher();
    // The body of the response to a GET of `url` (any status) and what became
    // of the exchange. Everything from the first "#" is dropped; only http and
    // https urls are fetched. A read that fails part-way, runs into a time
    // limit or reaches the size cap keeps the bytes read so far.
    PageFetchResult Fetch(const Text& url);

private:
    CurlEasy m_handle;
};

// The body FetchPageBytes' rules give, fetched with this thread's own
// PageFetcher (made at the thread's first fetch), or empty Bytes when nothing
// could be fetched. While a PageFetchRecorder lives on this thread, the
// outcome is recorded in it.
Bytes FetchPageBytes(const Text& url);

// Keeps the outcome of the FetchPageBytes calls made on its thread during its
// life, for a caller that needs to know why a parse found nothing. Recorders
// nest: the innermost one records.
class PageFetchRecorder {
public:
    PageFetchRecorder();
    ~PageFetchRecorder();
    PageFetchRecorder(const PageFetchRecorder&) = delete;
    PageFetchRecorder& operator=(const PageFetchRecorder&) = delete;

    // True once a fetch has been recorded.
    bool HasFetched() const { return m_fetched; }
    // The last recorded outcome (default-constructed before any).
    const PageFetchOutcome& Last() const { return m_last; }

private:
    friend Bytes FetchPageBytes(const Text& url);
    PageFetchRecorder* m_outer;
    bool m_fetched = false;
    PageFetchOutcome m_last;
};

}  // namespace kestrane
