#pragma once

// The scriptable HTTP request component (ProgID WinHttp.WinHttpRequest.5.1),
// over libcurl. Member names and option numbers: http_request_names.h.
//
// A call out of order (Send before Open, Status before a response), a refused
// URL or verb, a CR, LF or NUL in a text that would reach the request (a
// header, the user agent, credentials), a failed connection or a missing
// response header raises an error. An Open that is refused leaves no request
// behind: the earlier one is gone too.
//
// Time-outs, in milliseconds (SetTimeouts: resolve, connect, send, receive;
// 0 or less means no limit for that step): by default those of
// NetworkLimits. The whole request is always bounded: by the sum of the four
// when SetTimeouts limited all of them, otherwise by NetworkLimits'
// requestTotal. A response body longer than requestMaxBytes fails the
// request; with kOptionReadHeadersOnly set no byte of the body is read at all.
//
// Response headers and the status text come back byte for byte: see
// header_bytes.h.

#include <memory>

#include "platform/automation/component_object.h"
#include "platform/automation/http_request_names.h"

namespace kestrane {

std::shared_ptr<ComponentObject> MakeHttpRequestComponent();

}  // namespace kestrane
