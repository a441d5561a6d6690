#pragma once

// The scriptable HTTP request component (ProgID WinHttp.WinHttpRequest.5.1),
// over libcurl.
//
// Members: Open, SetRequestHeader, Send, WaitForResponse, Abort, Status,
// StatusText, ResponseText, ResponseBody, ResponseStream, GetResponseHeader,
// GetAllResponseHeaders, Option (indexed property), SetProxy, SetCredentials,
// SetTimeouts, SetClientCertificate, SetAutoLogonPolicy. A call out of order
// (Send before Open, Status before a response), a refused URL, a failed
// connection or a missing response header raises an error.
//
// Time-outs, in milliseconds (SetTimeouts: resolve, connect, send, receive;
// 0 or less means no limit): by default those of NetworkLimits, with the whole
// request bounded by its requestTotal; after SetTimeouts the whole request is
// bounded by the sum of the four when all are limited. A response body longer
// than NetworkLimits' requestMaxBytes fails the request.

#include <memory>

#include "platform/automation/component_object.h"

namespace kestrane {

// Option indexes the component gives a meaning to.
enum HttpRequestOption : int {
    kOptionUserAgentString = 0,
    kOptionUrl = 1,
    kOptionSslErrorIgnoreFlags = 4,
    kOptionEnableRedirects = 6,
    kOptionMaxAutomaticRedirects = 14,
    kOptionEnableHttp1_1 = 17,
};

inline constexpr const char* kHttpRequestDefaultAgent = "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

std::shared_ptr<ComponentObject> MakeHttpRequestComponent();

}  // namespace kestrane
