#include "http/http_request.h"

#include "http/cookie_exchange.h"
#include "platform/automation/call_outcome.h"
#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"

namespace kestrane {

namespace {

constexpr CallKind kGet = CallKind::kGet;
constexpr CallKind kPut = CallKind::kPut;
constexpr CallKind kMethod = CallKind::kMethod;

Variant ByteArrayFromOne(const Bytes& body) {
    return Variant(ByteArray{std::vector<std::uint8_t>(body.Data(), body.Data() + body.Size()), 1, false});
}

}  // namespace

HttpRequest::HttpRequest() {
    InitializeComponentLibrary();
    m_requestObject = CreateComponent(kHttpRequestProgId);
}

HttpRequest::HttpRequest(const HttpRequest& other)
    : m_requestObject(other.m_requestObject), m_keepCookies(other.m_keepCookies), m_host(other.m_host) {}

HttpRequest::~HttpRequest() { m_requestObject.Release(); }

std::unique_ptr<HttpRequest> HttpRequest::Copy() const { return std::make_unique<HttpRequest>(*this); }

void HttpRequest::SetKeepCookies(bool enabled) { m_keepCookies = enabled; }

Text HttpRequest::LastError() const { return CallOutcomeText(LastCallOutcome()); }

bool HttpRequest::IsValid() const { return !m_requestObject.IsEmpty(); }

ObjectRef HttpRequest::GetRequestObject() const { return m_requestObject; }

std::int32_t HttpRequest::Status() { return CallForInt(m_requestObject, "Status", kGet); }

Text HttpRequest::StatusText() { return CallForText(m_requestObject, "StatusText", kGet); }

Text HttpRequest::ResponseText() { return CallForText(m_requestObject, "ResponseText", kGet); }

Bytes HttpRequest::ResponseBody() {
    Variant v = CallMember(m_requestObject, "ResponseBody", kGet);
    Bytes out;
    if (v.GetKind() == Variant::Kind::kByteArray) {
        const auto& elements = v.Array().elements;
        out = Bytes(elements.data(), elements.size());
    }
    v.Clear();
    return out;
}

Variant HttpRequest::ResponseStream() { return CallMember(m_requestObject, "ResponseStream", kGet); }

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
    if (value) CallMember(m_requestObject, "Option", kPut, {Variant(option), *value});
    return CallMember(m_requestObject, "Option", kGet, {Variant(option)});
}

void HttpRequest::SetProxy(std::optional<std::int32_t> proxySetting, const Text& proxyServer,
                           const std::optional<Text>& bypassList) {
    CallMember(m_requestObject, "SetProxy", kMethod,
               {Variant(proxySetting.value_or(2)), TextArg(proxyServer), TextArg(bypassList.value_or(Text()))});
}

void HttpRequest::SetCredentials(const Text& userName, const Text& password, std::optional<std::int32_t> credentialsFor) {
    CallMember(m_requestObject, "SetCredentials", kMethod,
               {TextArg(userName), TextArg(password), Variant(credentialsFor.value_or(0))});
}

void HttpRequest::Open(const std::optional<Text>& method, Text& url, std::optional<bool> async) {
    if (!url.Lower().StartsWith("http")) url = Text("http://") + url;
    CallMember(m_requestObject, "Open", kMethod,
               {TextArg(method.value_or(Text("GET"))), TextArg(url), Variant(async.value_or(false))});
    m_host = HostOfUrl(url);
}

void HttpRequest::SetRequestHeader(const Text& headerName, const Text& headerValue) {
    CallMember(m_requestObject, "SetRequestHeader", kMethod, {TextArg(headerName), TextArg(headerValue)});
}

Text HttpRequest::GetResponseHeader(const Text& headerName) {
    return CallForText(m_requestObject, "GetResponseHeader", kMethod, {TextArg(headerName)});
}

Text HttpRequest::GetAllResponseHeaders() { return CallForText(m_requestObject, "GetAllResponseHeaders", kMethod); }

void HttpRequest::Send(const std::optional<Text>& body) {
    if (m_keepCookies) (void)AttachStoredCookies(m_requestObject, m_host);
    if (body) {
        CallMember(m_requestObject, "Send", kMethod, {TextArg(*body)});
    } else {
        CallMember(m_requestObject, "Send", kMethod);
    }
    if (m_keepCookies) (void)StoreResponseCookies(m_requestObject, m_host);
}

void HttpRequest::SendBytes(const std::optional<Bytes>& body) {
    if (m_keepCookies) (void)AttachStoredCookies(m_requestObject, m_host);
    if (body) {
        Variant array = ByteArrayFromOne(*body);
        CallMember(m_requestObject, "Send", kMethod, {array});
        array.Clear();
    } else {
        CallMember(m_requestObject, "Send", kMethod);
    }
    if (m_keepCookies) (void)StoreResponseCookies(m_requestObject, m_host);
}

bool HttpRequest::WaitForResponse(std::optional<std::int32_t> timeout) {
    return CallForBool(m_requestObject, "WaitForResponse", kMethod, {Variant(timeout.value_or(0))});
}

void HttpRequest::Abort() { CallMember(m_requestObject, "Abort", kMethod); }

void HttpRequest::SetTimeouts(std::int32_t resolveTimeout, std::int32_t connectTimeout, std::int32_t sendTimeout,
                              std::int32_t receiveTimeout) {
    CallMember(m_requestObject, "SetTimeouts", kMethod,
               {Variant(resolveTimeout), Variant(connectTimeout), Variant(sendTimeout), Variant(receiveTimeout)});
}

void HttpRequest::SetClientCertificate(const Text& certificate) {
    CallMember(m_requestObject, "SetClientCertificate", kMethod, {TextArg(certificate)});
}

void HttpRequest::SetAutoLogonPolicy(std::int32_t policy) {
    CallMember(m_requestObject, "SetAutoLogonPolicy", kMethod, {Variant(policy)});
}

Text HttpRequest::GetResponseCookie(const Text& name) { return ResponseCookieValue(m_requestObject, name); }

Text HttpRequest::GetSetCookieLines() { return SetCookieLines(m_requestObject); }

Text HostOfUrl(const Text& url) {
    Text host;
    if (url.StartsWith("https")) {
        const int p = url.Find("/", 9);
        host = p != -1 ? url.Mid(9, p - 9) : url.Mid(9, url.Length());
    } else if (url.StartsWith("http")) {
        const int p = url.Find("/", 8);
        host = p != -1 ? url.Mid(8, p - 8) : url.Mid(8, url.Length());
    } else {
        const int p = url.Find("/");
        host = p != -1 ? url.Left(p - 1) : url;
    }
    if (const int c = host.Find(":"); c != -1) host = host.Left(c - 1);
    return host.Lower();
}

}  // namespace kestrane
