#pragma once

// HttpRequest: one instance of the HTTP request component, a cookie-keeping
// switch, and the host of the URL last opened. Each operation forwards to the
// component member of the same name. No operation fails loudly: a failed
// component call yields the empty value of the expected kind, and LastError
// tells what happened.
//
// A value type: a copy shares the component instance (a request opened
// through one is the request of the other), and has its own switch and host.
// The instance is released when the last copy goes.

#include <cstdint>
#include <optional>

#include "platform/automation/http_request_names.h"
#include "platform/automation/variant.h"
#include "platform/text.h"

namespace kestrane {

class HttpRequest {
public:
    // Initialises the component library for this thread and creates the
    // instance; when creation fails the object has none (IsValid is false).
    HttpRequest();

    void SetKeepCookies(bool enabled) { m_keepCookies = enabled; }
    // The text of this thread's last component call outcome; empty after success.
    Text LastError() const;
    bool IsValid() const { return !m_requestObject.IsEmpty(); }
    // A new reference to the instance (empty when there is none).
    ObjectRef GetRequestObject() const { return m_requestObject; }
    std::int32_t Status();
    Text StatusText();
    Text ResponseText();
    Bytes ResponseBody();
    Variant ResponseStream();
    // Writes the first value given (int, text, bytes, variant) to option
    // `option` (see HttpRequestOption), then reads the option back, whatever
    // the write did.
    Variant Option(std::int32_t option, std::optional<std::int32_t> intValue = std::nullopt,
                   const std::optional<Text>& textValue = std::nullopt,
                   const std::optional<Bytes>& bytesValue = std::nullopt,
                   const std::optional<Variant>& variantValue = std::nullopt);
    // `proxySetting` is an HttpProxySetting, kProxyNamed when omitted.
    void SetProxy(std::optional<std::int32_t> proxySetting, const Text& proxyServer,
                  const std::optional<Text>& bypassList = std::nullopt);
    // `credentialsFor` is an HttpCredentialsFor, kCredentialsForServer when omitted.
    void SetCredentials(const Text& userName, const Text& password,
                        std::optional<std::int32_t> credentialsFor = std::nullopt);
    // Opens a request for `url`, completed with "http://" in front when its
    // lower-cased text does not begin with "http". Returns the URL as opened,
    // for the caller to keep; `host` becomes HostOfUrl of it.
    Text Open(const std::optional<Text>& method, const Text& url, std::optional<bool> async = std::nullopt);
    void SetRequestHeader(const Text& headerName, const Text& headerValue);
    // The value of a response header; empty when absent.
    Text GetResponseHeader(const Text& headerName);
    Text GetAllResponseHeaders();
    // With cookie keeping on, the stored cookies of `host` go with the
    // request, and the cookies of the response are stored under the host of
    // the URL that answered (after any redirect followed).
    void Send(const std::optional<Text>& body = std::nullopt);
    // Sends `body` as an array of unsigned bytes with lower bound 1.
    void SendBytes(const std::optional<Bytes>& body = std::nullopt);
    bool WaitForResponse(std::optional<std::int32_t> timeout = std::nullopt);
    void Abort();
    void SetTimeouts(std::int32_t resolveTimeout, std::int32_t connectTimeout, std::int32_t sendTimeout,
                     std::int32_t receiveTimeout);
    // A PEM file holding the client certificate and its key.
    void SetClientCertificate(const Text& certificate);
    // `policy` is an HttpAutoLogonPolicy.
    void SetAutoLogonPolicy(std::int32_t policy);
    // The value of cookie `name` set by the last response; empty when absent.
    Text GetResponseCookie(const Text& name);
    // Every Set-Cookie header line of the last response, each ended by CR LF.
    Text GetSetCookieLines();

    bool KeepCookies() const { return m_keepCookies; }
    const Text& Host() const { return m_host; }

private:
    void SendWithCookies(const std::optional<Variant>& body);

    ObjectRef m_requestObject;
    bool m_keepCookies = false;
    Text m_host;
};

// The lower-case host of `url`: after "http://" or "https://" (the scheme in
// any letter case) or from the start without a scheme, up to the first "/",
// "?" or "#"; without user information (up to the last "@") and without a
// port. Bytes of double-byte characters are never taken for separators.
Text HostOfUrl(const Text& url);

}  // namespace kestrane
