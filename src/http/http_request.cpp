#include "http/http_request.h"

#include <algorithm>

#include "http/cookie_exchange.h"
#include "platform/automation/call_outcome.h"
#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"

namespace kestrane {

namespace {

constexpr CallKind kGet = CallKind::kGet;
constexpr CallKind kPut = CallKind::kPut;
constexpr CallKind kMethod = CallKind::kMethod;
namespace member = http_member;

Variant ByteArrayFromOne(const Bytes& body) {
    return Variant(ByteArray{std::vector<std::uint8_t>(body.Data(), body.Data() + body.Size()), 1, false});
}

}  // namespace

HttpRequest::HttpRequest() {
    InitializeComponentLibrary();
    m_requestObject = CreateComponent(kHttpRequestProgId);
}

Text HttpRequest::LastError() const { return CallOutcomeText(LastCallOutcome()); }

std::int32_t HttpRequest::Status() { return CallForInt(m_requestObject, member::kStatus, kGet); }

Text HttpRequest::StatusText() { return CallForText(m_requestObject, member::kStatusText, kGet); }

Text HttpRequest::ResponseText() { return CallForText(m_requestObject, member::kResponseText, kGet); }

Bytes HttpRequest::ResponseBody() {
    const Variant v = CallMember(m_requestObject, member::kResponseBody, kGet);
    if (v.GetKind() != Variant::Kind::kByteArray) return {};
    const auto& elements = v.Array().elements;
    return Bytes(elements.data(), elements.size());
}

Variant HttpRequest::ResponseStream() { return CallMember(m_requestObject, member::kResponseStream, kGet); }

Variant HttpRequest::Option(std::int32_t option, std::optional<std::int32_t> intValue,
                            const std::optional<Text>& textValue, const std::optional<Bytes>& bytesValue,
                            const std::optional<Variant>& variantValue) {
    std::optional<Variant> value;
    if (intValue) {
        value = Variant(*intValue);
    } else if (textValue) {
        value = TextArg(*textValue);
    } else if (bytesValue) {
        value = ByteArrayFromOne(*bytesValue);  // handed over as SendBytes hands a body
    } else if (variantValue) {
        value = *variantValue;
    }
    if (value) CallMember(m_requestObject, member::kOption, kPut, {Variant(option), *value});
    return CallMember(m_requestObject, member::kOption, kGet, {Variant(option)});
}

void HttpRequest::SetProxy(std::optional<std::int32_t> proxySetting, const Text& proxyServer,
                           const std::optional<Text>& bypassList) {
    CallMember(m_requestObject, member::kSetProxy, kMethod,
               {Variant(proxySetting.value_or(kProxyNamed)), TextArg(proxyServer), TextArg(bypassList.value_or(Text()))});
}

void HttpRequest::SetCredentials(const Text& userName, const Text& password, std::optional<std::int32_t> credentialsFor) {
    CallMember(m_requestObject, member::kSetCredentials, kMethod,
               {TextArg(userName), TextArg(password), Variant(credentialsFor.value_or(kCredentialsForServer))});
}

Text HttpRequest::Open(const std::optional<Text>& method, const Text& url, std::optional<bool> async) {
    const Text opened = url.Lower().StartsWith("http") ? url : Text("http://") + url;
    CallMember(m_requestObject, member::kOpen, kMethod,
               {TextArg(method.value_or(Text("GET"))), TextArg(opened), Variant(async.value_or(false))});
    m_host = HostOfUrl(opened);
    return opened;
}

void HttpRequest::SetRequestHeader(const Text& headerName, const Text& headerValue) {
    CallMember(m_requestObject, member::kSetRequestHeader, kMethod, {TextArg(headerName), TextArg(headerValue)});
}

Text HttpRequest::GetResponseHeader(const Text& headerName) {
    return CallForText(m_requestObject, member::kGetResponseHeader, kMethod, {TextArg(headerName)});
}

Text HttpRequest::GetAllResponseHeaders() { return CallForText(m_requestObject, member::kGetAllResponseHeaders, kMethod); }

void HttpRequest::SendWithCookies(const std::optional<Variant>& body) {
    if (m_keepCookies) (void)AttachStoredCookies(m_requestObject, m_host);
    if (body) {
        CallMember(m_requestObject, member::kSend, kMethod, {*body});
    } else {
        CallMember(m_requestObject, member::kSend, kMethod);
    }
    if (!m_keepCookies) return;
    // The response may come from another host than the one opened, after a
    // redirect: its cookies are that host's. Read before the store's calls,
    // so that LastError still tells their outcome.
    const Text answered = CallForText(m_requestObject, member::kOption, kGet, {Variant(std::int32_t{kOptionUrl})});
    (void)StoreResponseCookies(m_requestObject, answered.IsEmpty() ? m_host : HostOfUrl(answered));
}

void HttpRequest::Send(const std::optional<Text>& body) {
    SendWithCookies(body ? std::optional<Variant>(TextArg(*body)) : std::nullopt);
}

void HttpRequest::SendBytes(const std::optional<Bytes>& body) {
    SendWithCookies(body ? std::optional<Variant>(ByteArrayFromOne(*body)) : std::nullopt);
}

bool HttpRequest::WaitForResponse(std::optional<std::int32_t> timeout) {
    return CallForBool(m_requestObject, member::kWaitForResponse, kMethod, {Variant(timeout.value_or(0))});
}

void HttpRequest::Abort() { CallMember(m_requestObject, member::kAbort, kMethod); }

void HttpRequest::SetTimeouts(std::int32_t resolveTimeout, std::int32_t connectTimeout, std::int32_t sendTimeout,
                              std::int32_t receiveTimeout) {
    CallMember(m_requestObject, member::kSetTimeouts, kMethod,
               {Variant(resolveTimeout), Variant(connectTimeout), Variant(sendTimeout), Variant(receiveTimeout)});
}

void HttpRequest::SetClientCertificate(const Text& certificate) {
    CallMember(m_requestObject, member::kSetClientCertificate, kMethod, {TextArg(certificate)});
}

void HttpRequest::SetAutoLogonPolicy(std::int32_t policy) {
    CallMember(m_requestObject, member::kSetAutoLogonPolicy, kMethod, {Variant(policy)});
}

Text HttpRequest::GetResponseCookie(const Text& name) { return ResponseCookieValue(m_requestObject, name); }

Text HttpRequest::GetSetCookieLines() { return SetCookieLines(m_requestObject); }

Text HostOfUrl(const Text& url) {
    const Text lower = url.Lower();
    const int start = lower.StartsWith("https") ? 9 : lower.StartsWith("http") ? 8 : 1;
    // The authority ends at the first "/", "?" or "#".
    int end = url.Length() + 1;
    for (const char* stop : {"/", "?", "#"}) {
        if (const int p = url.Find(stop, start); p != -1) end = std::min(end, p);
    }
    Text host = url.Mid(start, end - start);
    // User information runs up to the last "@"; the host follows it.
    for (int at = host.Find("@"); at != -1; at = host.Find("@")) host = host.Mid(at + 1, host.Length());
    // An IPv6 address stands in brackets, its colons inside them.
    if (host.StartsWith("[")) {
        if (const int close = host.Find("]"); close != -1) return host.Left(close).Lower();
    }
    // A cut may have begun inside a double-byte character, so the host's own
    // characters can differ from the URL's: end it again by its own reading.
    for (const char* stop : {"/", "?", "#", ":"}) {
        if (const int p = host.Find(stop); p != -1) host = host.Left(p - 1);
    }
    return host.Lower();
}

}  // namespace kestrane
