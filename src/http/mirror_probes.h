#pragma once

// The two probes behind the mirror addresses.

#include "platform/text.h"

namespace kestrane {

// One redirect probe: the URL as requested, and the Location header of the
// response to one GET of it, redirects not followed.
struct RedirectProbe {
    Text requestedUrl;  // the URL given, with "http://" in front unless it began with "http" (any letter case)
    Text location;      // empty when there is none or the request failed
};

// Asks for `url` with redirects not followed; stops reading the response once
// its headers are in.
RedirectProbe GetRedirectTarget(const Text& url);

// The server name and object path the status probe uses for a URL.
struct ProbeTarget {
    Text serverName;
    Text objectPath;
};

// Splits `url` with the host pattern: the last match m of
// (http://)[\w\.]+[^/]; the server name is m without "http://", the object
// path is `url` without as many leading bytes as m is long.
ProbeTarget SplitProbeUrl(const Text& url);

// True when the server of `url`, asked on port 80 over HTTP/1.1 for the same
// path, answers with the status text "Bad Request" exactly.
bool IsBadRequestHost(const Text& url);

}  // namespace kestrane
