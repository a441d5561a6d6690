#pragma once

// The names and numbers of the HTTP request component (ProgID
// WinHttp.WinHttpRequest.5.1), shared by the component and its callers: a
// misspelt member or option fails to build.

#include <cstdint>
#include <string_view>

namespace kestrane {

// Member names.
namespace http_member {
inline constexpr std::string_view kOpen = "Open";
inline constexpr std::string_view kSetRequestHeader = "SetRequestHeader";
inline constexpr std::string_view kSend = "Send";
inline constexpr std::string_view kWaitForResponse = "WaitForResponse";
inline constexpr std::string_view kAbort = "Abort";
inline constexpr std::string_view kStatus = "Status";
inline constexpr std::string_view kStatusText = "StatusText";
inline constexpr std::string_view kResponseText = "ResponseText";
inline constexpr std::string_view kResponseBody = "ResponseBody";
inline constexpr std::string_view kResponseStream = "ResponseStream";
inline constexpr std::string_view kGetResponseHeader = "GetResponseHeader";
inline constexpr std::string_view kGetAllResponseHeaders = "GetAllResponseHeaders";
inline constexpr std::string_view kOption = "Option";
inline constexpr std::string_view kSetProxy = "SetProxy";
inline constexpr std::string_view kSetCredentials = "SetCredentials";
inline constexpr std::string_view kSetTimeouts = "SetTimeouts";
inline constexpr std::string_view kSetClientCertificate = "SetClientCertificate";
inline constexpr std::string_view kSetAutoLogonPolicy = "SetAutoLogonPolicy";
}  // namespace http_member

// Members of the stream that ResponseStream hands out.
namespace http_stream_member {
inline constexpr std::string_view kSize = "Size";
inline constexpr std::string_view kRead = "Read";
}  // namespace http_stream_member

// Option indexes the component gives a meaning to (0 to 18 are accepted, and
// kOptionReadHeadersOnly, our own).
enum HttpRequestOption : std::int32_t {
    kOptionUserAgentString = 0,
    kOptionUrl = 1,                   // read only: the URL of the last response
    kOptionUrlCodePage = 2,
    kOptionSslErrorIgnoreFlags = 4,   // non-zero: certificate errors are ignored
    kOptionEnableRedirects = 6,
    kOptionMaxAutomaticRedirects = 14,
    kOptionMaxResponseDrainSize = 16, // kept, and read back; no effect here
    kOptionEnableHttp1_1 = 17,
    // Not one of the system component's: non-zero ends the request once the
    // final response's headers are in; its body is never read.
    kOptionReadHeadersOnly = 1000,
};
inline constexpr std::int32_t kLastOption = 18;

// True for an index that Option may read or write.
constexpr bool IsKnownOption(std::int32_t index) {
    return (index >= 0 && index <= kLastOption) || index == kOptionReadHeadersOnly;
}

// SetProxy's first argument.
enum HttpProxySetting : std::int32_t {
    kProxyPreconfigured = 0,  // the environment's settings
    kProxyDirect = 1,         // no proxy
    kProxyNamed = 2,          // the proxy server given with the setting
};

// SetCredentials' third argument.
enum HttpCredentialsFor : std::int32_t {
    kCredentialsForServer = 0,
    kCredentialsForProxy = 1,
};

// SetAutoLogonPolicy's argument.
enum HttpAutoLogonPolicy : std::int32_t {
    kAutoLogonAlways = 0,
    kAutoLogonOnlyIfBypassProxy = 1,
    kAutoLogonNever = 2,
};

// The slots of SetTimeouts' four arguments, in their order.
enum HttpTimeoutSlot : int {
    kResolveTimeout = 0,
    kConnectTimeout = 1,
    kSendTimeout = 2,
    kReceiveTimeout = 3,
    kTimeoutSlots = 4,
};

inline constexpr const char* kHttpRequestDefaultAgent = "Mozilla/4.0 (compatible; Win32; WinHttp.WinHttpRequest.5)";

}  // namespace kestrane
