#pragma once

// One HTTP exchange of the request component, over a libcurl easy handle:
// the request as the component was set up, the response as it arrived.

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/http_request_names.h"

namespace kestrane {

struct HttpResponse {
    long status = 0;
    std::string statusText;
    std::vector<std::string> headerLines;  // as received, without their CR LF
    std::string body;
    std::string finalUrl;                  // after any redirects followed
};

// Everything one transfer needs, copied out of the component so that an
// asynchronous transfer owns its own inputs.
struct TransferInput {
    std::string method;
    std::string url;
    std::vector<std::string> headers;  // "Name: value" lines
    std::optional<std::string> body;
    std::string agent;
    bool followRedirects = true;
    long maxRedirects = 10;
    bool http11 = true;
    bool ignoreTlsErrors = false;
    HttpProxySetting proxySetting = kProxyDirect;
    std::string proxyServer, bypassList;
    std::string user, password;
    bool credentialsForProxy = false;
    std::string clientCertificate;     // a PEM file holding the certificate and its key
    long connectMs = 0;                // 0: no limit (resolving included)
    long sendMs = 0, receiveMs = 0;    // longest stall while sending or receiving; 0: none
    long totalMs = 0;                  // the whole exchange; always bounded by the component
    std::size_t maxBytes = 0;          // a longer body fails the transfer
    // Read no byte of the final response's body: the transfer ends, as a
    // success, once its headers are in.
    bool headersOnly = false;
};

struct TransferOutcome {
    bool ok = false;
    std::string error;  // why it failed
    HttpResponse response;
};

// Runs the exchange; `abort` set from another thread ends it soon after.
TransferOutcome RunTransfer(const TransferInput& in, const std::atomic<bool>& abort);

}  // namespace kestrane
