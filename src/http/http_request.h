#pragma once

// HttpRequest: one instance of the HTTP request component, a cookie-keeping
// switch, and the host of the URL last opened. Each operation forwards to the
// component member of the same name. No operation fails loudly: a failed
// component call yields the empty value of the expected kind, and LastError
// tells what happened.

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/automation/variant.h"
#include "platform/text.h"

namespace kestrane {

class HttpRequest {
public:
    // Initialises the component library for this thread and creates the
    // instance; when creation fails the object has none (IsValid is false).
    HttpRequest();
    // A copy shares the component instance, the switch and the host.
    HttpRequest(const HttpRequest& other);
    HttpRequest& operator=(const HttpRequest&) = delete;
    virtual ~HttpRequest();

    virtual std::unique_ptr<HttpRequest> Copy() const;
    virtual void SetKeepCookies(bool enabled);
    // The text of this thread's last component call outcome; empty after success.
    virtual Text LastError() const;
    virtual bool IsValid() const;
    // A new reference to the instance (empty when there is none).
    virtual ObjectRef GetRequestObject() const;
    virtual std::int32_t Status();
    virtual Text StatusText();
    virtual Text ResponseText();
    virtual Bytes ResponseBody();
    virtual Variant ResponseStream();
    // Writes the first value given (int, text, bytes, variant) to option
    // `option`, then reads the option back, whatever the write did.
    virtual Variant Option(std::int32_t option, std::optional<std::int32_t> intValue = std::nullopt,
                           const std::optional<Text>& textValue = std::nullopt,
                           const std::optional<Bytes>& bytesValue = std::nullopt,
                           const std::optional<Variant>& variantValue = std::nullopt);
    virtual void SetProxy(std::optional<std::int32_t> proxySetting, const Text& proxyServer,
                          const std::optional<Text>& bypassList = std::nullopt);
    virtual void SetCredentials(const Text& userName, const Text& password,
                                std::optional<std::int32_t> credentialsFor = std::nullopt);
    // Opens a request. A `url` whose lower-cased text does not begin with
    // "http" gets "http://" in front, in the caller's variable too; `host`
    // becomes HostOfUrl of the result.
    virtual void Open(const std::optional<Text>& method, Text& url, std::optional<bool> async = std::nullopt);
    virtual void SetRequestHeader(const Text& headerName, const Text& headerValue);
    // The value of a response header; empty when absent.
    virtual Text GetResponseHeader(const Text& headerName);
    virtual Text GetAllResponseHeaders();
    virtual void Send(const std::optional<Text>& body = std::nullopt);
    // Sends `body` as an array of unsigned bytes with lower bound 1.
    virtual void SendBytes(const std::optional<Bytes>& body = std::nullopt);
    virtual bool WaitForResponse(std::optional<std::int32_t> timeout = std::nullopt);
    virtual void Abort();
    virtual void SetTimeouts(std::int32_t resolveTimeout, std::int32_t connectTimeout, std::int32_t sendTimeout,
                             std::int32_t receiveTimeout);
    virtual void SetClientCertificate(const Text& certificate);
    virtual void SetAutoLogonPolicy(std::int32_t policy);
    // The value of cookie `name` set by the last response; empty when absent.
    virtual Text GetResponseCookie(const Text& name);
    // Every Set-Cookie header line of the last response, each ended by CR LF.
    virtual Text GetSetCookieLines();

    bool KeepCookies() const { return m_keepCookies; }
    const Text& Host() const { return m_host; }

private:
    ObjectRef m_requestObject;
    bool m_keepCookies = false;
    Text m_host;
};

// The lower-case host of `url`: the text after "http://" or "https://" (or
// from the start, without a scheme) up to the first "/", without a port.
// Scheme tests are case-sensitive; user information is not recognised.
Text HostOfUrl(const Text& url);

}  // namespace kestrane
