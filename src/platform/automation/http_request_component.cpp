#include "platform/automation/http_request_component.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ascii.h"
#include "platform/automation/header_bytes.h"
#include "platform/automation/http_transfer.h"
#include "platform/code_page.h"
#include "platform/curl_session.h"
#include "platform/curl_string.h"
#include "platform/network_limits.h"

namespace kestrane {

namespace {

using Args = std::vector<Variant>;

std::string Narrow(const Variant& v) { return v.GetKind() == Variant::Kind::kString ? Utf16ToUtf8(v.String()) : ""; }

// A text that would end or split a line of the request is refused.
void RefuseLineBreaks(const std::string& text, const char* what) {
    if (HasLineBreakOrNul(text)) RaiseComponentError(std::string(what) + " holds a line break or NUL");
}

// The scheme of `url` when libcurl's parser accepts it; nothing otherwise.
std::optional<std::string> SchemeOf(const std::string& url) {
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return std::nullopt;
    return UrlPart(parsed.get(), CURLUPART_SCHEME);
}

// The body stream that ResponseStream hands out: Size, and Read of up to n bytes.
class ResponseStreamObject : public ComponentObject {
public:
    explicit ResponseStreamObject(std::string data) : m_data(std::move(data)) {
        DeclareGet(std::string(http_stream_member::kSize), {}, [this](Args&) { return Size(); });
        DeclareMethod(std::string(http_stream_member::kRead), {{ParamKind::kInt, true}}, [this](Args& a) { return Read(a); });
    }

private:
    Variant Size() const { return Variant(static_cast<double>(m_data.size())); }
    Variant Read(const Args& a) {
        const std::size_t want = a[0].IsEmpty() || a[0].Int() < 0 ? m_data.size() : static_cast<std::size_t>(a[0].Int());
        const std::size_t n = std::min(want, m_data.size() - m_at);
        ByteArray out{std::vector<std::uint8_t>(m_data.begin() + static_cast<long>(m_at),
                                               m_data.begin() + static_cast<long>(m_at + n)), 0, false};
        m_at += n;
        return Variant(std::move(out));
    }

    std::string m_data;
    std::size_t m_at = 0;
};

class HttpRequestComponent : public ComponentObject {
public:
    HttpRequestComponent();
    ~HttpRequestComponent() override { StopTransfer(); }

private:
    enum class State { kNew, kOpened, kSending, kDone };
    using Member = Variant (HttpRequestComponent::*)(Args&);

    // Declares member `name` with the body `member` of this class.
    void Method(std::string_view name, std::vector<Param> params, Member member) {
        DeclareMethod(std::string(name), std::move(params), [this, member](Args& a) { return (this->*member)(a); });
    }
    void Get(std::string_view name, std::vector<Param> params, Member member) {
        DeclareGet(std::string(name), std::move(params), [this, member](Args& a) { return (this->*member)(a); });
    }
    void Put(std::string_view name, std::vector<Param> params, Member member) {
        DeclarePut(std::string(name), std::move(params), [this, member](Args& a) { return (this->*member)(a); });
    }

    Variant Open(Args& a);
    Variant SetRequestHeader(Args& a);
    Variant Send(Args& a);
    Variant WaitForResponse(Args& a);
    Variant Abort(Args& a);
    Variant Status(Args& a);
    Variant StatusText(Args& a);
    Variant ResponseText(Args& a);
    Variant ResponseBody(Args& a);
    Variant ResponseStream(Args& a);
    Variant GetResponseHeader(Args& a);
    Variant GetAllResponseHeaders(Args& a);
    Variant ReadOption(Args& a);
    Variant WriteOption(Args& a);
    Variant SetProxy(Args& a);
    Variant SetCredentials(Args& a);
    Variant SetTimeouts(Args& a);
    Variant SetClientCertificate(Args& a);
    Variant SetAutoLogonPolicy(Args& a);

    void StopTransfer() {
        m_abort = true;
        if (m_worker.joinable()) m_worker.join();
        m_abort = false;
    }
    // Forgets the request and its response; the next Send needs an Open.
    void ForgetRequest();
    // The response of the last send; raises when there is none yet.
    const HttpResponse& Answer() {
        std::unique_lock lock(m_mutex);
        if (m_state != State::kDone || !m_response) RaiseComponentError("no response is available yet");
        return *m_response;
    }
    Variant OptionValue(int index) const;
    TransferInput MakeInput(std::optional<std::string> body) const;
    void Finish(TransferOutcome outcome);

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    State m_state = State::kNew;
    bool m_async = false;
    std::string m_method, m_url;
    std::vector<std::string> m_headers;
    std::map<int, Variant> m_options;
    HttpProxySetting m_proxySetting = kProxyDirect;
    std::string m_proxyServer, m_bypassList;
    std::string m_user, m_password;
    bool m_credentialsForProxy = false;
    std::string m_clientCertificate;
    HttpAutoLogonPolicy m_autoLogonPolicy = kAutoLogonOnlyIfBypassProxy;
    std::optional<std::array<long, kTimeoutSlots>> m_timeouts;  // set by SetTimeouts; the defaults until then
    std::optional<HttpResponse> m_response;
    std::string m_lastError;
    std::atomic<bool> m_abort{false};
    std::thread m_worker;
};

HttpRequestComponent::HttpRequestComponent() {
    const Param str{ParamKind::kString, false};
    const Param optStr{ParamKind::kString, true};
    const Param integer{ParamKind::kInt, false};
    const Param any{ParamKind::kAny, true};
    using namespace http_member;
    Method(kOpen, {str, str, any}, &HttpRequestComponent::Open);
    Method(kSetRequestHeader, {str, str}, &HttpRequestComponent::SetRequestHeader);
    Method(kSend, {any}, &HttpRequestComponent::Send);
    Method(kWaitForResponse, {any}, &HttpRequestComponent::WaitForResponse);
    Method(kAbort, {}, &HttpRequestComponent::Abort);
    Get(kStatus, {}, &HttpRequestComponent::Status);
    Get(kStatusText, {}, &HttpRequestComponent::StatusText);
    Get(kResponseText, {}, &HttpRequestComponent::ResponseText);
    Get(kResponseBody, {}, &HttpRequestComponent::ResponseBody);
    Get(kResponseStream, {}, &HttpRequestComponent::ResponseStream);
    Method(kGetResponseHeader, {str}, &HttpRequestComponent::GetResponseHeader);
    Method(kGetAllResponseHeaders, {}, &HttpRequestComponent::GetAllResponseHeaders);
    Get(kOption, {integer}, &HttpRequestComponent::ReadOption);
    Put(kOption, {integer, {ParamKind::kAny, false}}, &HttpRequestComponent::WriteOption);
    Method(kSetProxy, {integer, optStr, optStr}, &HttpRequestComponent::SetProxy);
    Method(kSetCredentials, {str, str, integer}, &HttpRequestComponent::SetCredentials);
    Method(kSetTimeouts, {integer, integer, integer, integer}, &HttpRequestComponent::SetTimeouts);
    Method(kSetClientCertificate, {str}, &HttpRequestComponent::SetClientCertificate);
    Method(kSetAutoLogonPolicy, {integer}, &HttpRequestComponent::SetAutoLogonPolicy);
}

void HttpRequestComponent::ForgetRequest() {
    m_method.clear();
    m_url.clear();
    m_headers.clear();
    m_user.clear();
    m_password.clear();
    m_response.reset();
    m_state = State::kNew;
}

Variant HttpRequestComponent::Open(Args& a) {
    const std::string method = Narrow(a[0]);
    const std::string url = Narrow(a[1]);
    StopTransfer();
    std::lock_guard lock(m_mutex);
    // Whatever is refused below, the earlier request is over.
    ForgetRequest();
    const auto async = a[2].IsEmpty() ? ConvertedValue{Variant(false), CallOutcome::kSuccess} : ConvertVariant(a[2], ParamKind::kBool);
    if (!async.value) throw ComponentError{async.why, "Async is not a Boolean"};
    if (method.empty() || method.find_first_of(std::string_view(" \r\n\t\0", 5)) != std::string::npos) RaiseComponentError("bad verb");
    const auto scheme = SchemeOf(url);
    if (!scheme) RaiseComponentError("the URL is invalid");
    if (*scheme != "http" && *scheme != "https") RaiseComponentError("the URL does not use a recognized protocol");
    m_method = method;
    m_url = url;
    m_async = async.value->Bool();
    m_state = State::kOpened;
    return {};
}

Variant HttpRequestComponent::SetRequestHeader(Args& a) {
    const std::string name = Narrow(a[0]), value = Narrow(a[1]);
    if (name.empty() || HasLineBreakOrNul(name) || HasLineBreakOrNul(value) || name.find(':') != std::string::npos) {
        RaiseComponentError("invalid header");
    }
    std::lock_guard lock(m_mutex);
    if (m_state != State::kOpened && m_state != State::kDone) RaiseComponentError("SetRequestHeader before Open");
    // A later value for the same header replaces the earlier one.
    const std::string prefix = name + ":";
    std::erase_if(m_headers, [&](const std::string& h) { return StartsWithIgnoringAsciiCase(h, prefix); });
    m_headers.push_back(value.empty() ? name + ";" : name + ": " + value);
    return {};
}

void HttpRequestComponent::Finish(TransferOutcome outcome) {
    std::lock_guard lock(m_mutex);
    m_state = outcome.ok ? State::kDone : State::kOpened;
    if (outcome.ok) m_response = std::move(outcome.response);
    m_lastError = std::move(outcome.error);
    m_done.notify_all();
}

Variant HttpRequestComponent::Send(Args& a) {
    const Variant& body = a[0];
    std::optional<std::string> payload;
    switch (body.GetKind()) {
        case Variant::Kind::kEmpty: break;
        case Variant::Kind::kByteArray:
            payload.emplace(body.Array().elements.begin(), body.Array().elements.end());
            break;
        case Variant::Kind::kObject:
            throw ComponentError{CallOutcome::kTypeMismatch, "a body cannot be an object"};
        default: {
            const ConvertedValue text = ConvertVariant(body, ParamKind::kString);
            if (!text.value) throw ComponentError{text.why, "the body cannot be sent"};
            payload = Utf16ToUtf8(text.value->String());
        }
    }
    TransferInput input;
    {
        std::lock_guard lock(m_mutex);
        if (m_state == State::kNew) RaiseComponentError("Send before Open");
        if (m_state == State::kSending) RaiseComponentError("a request is already being sent");
        input = MakeInput(std::move(payload));
        m_state = State::kSending;
        m_response.reset();
    }
    if (m_worker.joinable()) m_worker.join();
    if (m_async) {
        m_worker = std::thread([this, input = std::move(input)] { Finish(RunTransfer(input, m_abort)); });
        return {};
    }
    TransferOutcome outcome = RunTransfer(input, m_abort);
    const bool ok = outcome.ok;
    const std::string error = outcome.error;
    Finish(std::move(outcome));
    if (!ok) RaiseComponentError(error);
    return {};
}

Variant HttpRequestComponent::WaitForResponse(Args& a) {
    const ConvertedValue seconds = a[0].IsEmpty() ? ConvertedValue{Variant(std::int32_t{-1}), CallOutcome::kSuccess}
                                                  : ConvertVariant(a[0], ParamKind::kInt);
    if (!seconds.value) throw ComponentError{seconds.why, "bad time-out"};
    std::unique_lock lock(m_mutex);
    const auto finished = [this] { return m_state != State::kSending; };
    if (seconds.value->Int() < 0) {
        m_done.wait(lock, finished);
        return Variant(true);
    }
    return Variant(m_done.wait_for(lock, std::chrono::seconds(seconds.value->Int()), finished));
}

Variant HttpRequestComponent::Abort(Args&) {
    StopTransfer();
    std::lock_guard lock(m_mutex);
    if (m_state != State::kNew) m_state = State::kOpened;
    m_response.reset();
    return {};
}

Variant HttpRequestComponent::Status(Args&) { return Variant(static_cast<std::int32_t>(Answer().status)); }

Variant HttpRequestComponent::StatusText(Args&) { return Variant(DecodeKeepingBytes(Answer().statusText)); }

Variant HttpRequestComponent::ResponseText(Args&) {
    const HttpResponse& r = Answer();
    std::string charset;
    for (const std::string& line : r.headerLines) {
        const std::string lower = AsciiLower(line);
        if (!lower.starts_with("content-type:")) continue;
        if (const auto at = lower.find("charset="); at != std::string::npos) {
            charset = line.substr(at + 8);
            charset = charset.substr(0, charset.find_first_of("; \""));
            if (charset.empty() && line.size() > at + 9) charset = line.substr(at + 9, line.find('"', at + 9) - at - 9);
        }
    }
    return Variant(DecodeCharset(r.body, charset));
}

Variant HttpRequestComponent::ResponseBody(Args&) {
    const HttpResponse& r = Answer();
    return Variant(ByteArray{std::vector<std::uint8_t>(r.body.begin(), r.body.end()), 0, false});
}

Variant HttpRequestComponent::ResponseStream(Args&) {
    return Variant(ObjectRef(std::make_shared<ResponseStreamObject>(Answer().body)));
}

Variant HttpRequestComponent::GetResponseHeader(Args& a) {
    const std::string prefix = Narrow(a[0]) + ":";
    for (const std::string& line : Answer().headerLines) {
        if (!StartsWithIgnoringAsciiCase(line, prefix)) continue;
        std::string value = line.substr(prefix.size());
        value.erase(0, value.find_first_not_of(" \t"));
        return Variant(DecodeKeepingBytes(value));
    }
    RaiseComponentError("the requested header was not found");
}

Variant HttpRequestComponent::GetAllResponseHeaders(Args&) {
    std::string all;
    for (const std::string& line : Answer().headerLines) all += line + "\r\n";
    return Variant(DecodeKeepingBytes(all));
}

Variant HttpRequestComponent::OptionValue(int index) const {
    if (const auto it = m_options.find(index); it != m_options.end()) return it->second;
    switch (index) {
        case kOptionUserAgentString: return Variant(Utf8ToUtf16(kHttpRequestDefaultAgent));
        case kOptionUrl: return Variant(Utf8ToUtf16(m_response && !m_response->finalUrl.empty() ? m_response->finalUrl : m_url));
        case kOptionUrlCodePage: return Variant(std::int32_t{65001});
        case kOptionEnableRedirects: return Variant(true);
        case kOptionMaxAutomaticRedirects: return Variant(std::int32_t{10});
        case kOptionMaxResponseDrainSize: return Variant(std::int32_t{1 << 20});
        case kOptionEnableHttp1_1: return Variant(true);
        default: return Variant(std::int32_t{0});
    }
}

Variant HttpRequestComponent::ReadOption(Args& a) {
    const int index = a[0].Int();
    if (!IsKnownOption(index)) RaiseComponentError("the parameter is incorrect");
    std::lock_guard lock(m_mutex);
    return OptionValue(index);
}

Variant HttpRequestComponent::WriteOption(Args& a) {
    const int index = a[0].Int();
    if (!IsKnownOption(index) || index == kOptionUrl) RaiseComponentError("the parameter is incorrect");
    if (index == kOptionUserAgentString) {
        const ConvertedValue agent = ConvertVariant(a[1], ParamKind::kString);
        if (!agent.value) throw ComponentError{agent.why, "the agent is not a text"};
        RefuseLineBreaks(Utf16ToUtf8(agent.value->String()), "the agent");
    }
    std::lock_guard lock(m_mutex);
    m_options[index] = a[1];
    return {};
}

Variant HttpRequestComponent::SetProxy(Args& a) {
    const int setting = a[0].Int();
    if (setting < kProxyPreconfigured || setting > kProxyNamed) RaiseComponentError("the parameter is incorrect");
    std::string bypass = Narrow(a[2]);
    std::replace(bypass.begin(), bypass.end(), ';', ',');
    std::lock_guard lock(m_mutex);
    m_proxySetting = static_cast<HttpProxySetting>(setting);
    m_proxyServer = Narrow(a[1]);
    m_bypassList = bypass;
    return {};
}

Variant HttpRequestComponent::SetCredentials(Args& a) {
    const std::string user = Narrow(a[0]), password = Narrow(a[1]);
    RefuseLineBreaks(user, "the user name");
    RefuseLineBreaks(password, "the password");
    std::lock_guard lock(m_mutex);
    if (m_state == State::kNew) RaiseComponentError("SetCredentials before Open");
    if (a[2].Int() != kCredentialsForServer && a[2].Int() != kCredentialsForProxy) RaiseComponentError("the parameter is incorrect");
    m_user = user;
    m_password = password;
    m_credentialsForProxy = a[2].Int() == kCredentialsForProxy;
    return {};
}

Variant HttpRequestComponent::SetTimeouts(Args& a) {
    std::lock_guard lock(m_mutex);
    m_timeouts = std::array<long, kTimeoutSlots>{a[kResolveTimeout].Int(), a[kConnectTimeout].Int(), a[kSendTimeout].Int(),
                                                 a[kReceiveTimeout].Int()};
    return {};
}

Variant HttpRequestComponent::SetClientCertificate(Args& a) {
    std::lock_guard lock(m_mutex);
    m_clientCertificate = Narrow(a[0]);
    return {};
}

Variant HttpRequestComponent::SetAutoLogonPolicy(Args& a) {
    if (a[0].Int() < kAutoLogonAlways || a[0].Int() > kAutoLogonNever) RaiseComponentError("the parameter is incorrect");
    std::lock_guard lock(m_mutex);
    m_autoLogonPolicy = static_cast<HttpAutoLogonPolicy>(a[0].Int());
    return {};
}

TransferInput HttpRequestComponent::MakeInput(std::optional<std::string> body) const {
    TransferInput in;
    in.method = m_method;
    in.url = m_url;
    in.headers = m_headers;
    in.body = std::move(body);
    const auto asText = [&](int option) {
        const ConvertedValue v = ConvertVariant(OptionValue(option), ParamKind::kString);
        return v.value ? Utf16ToUtf8(v.value->String()) : std::string();
    };
    const auto asInt = [&](int option) {
        const ConvertedValue v = ConvertVariant(OptionValue(option), ParamKind::kInt);
        return v.value ? v.value->Int() : 0;
    };
    in.agent = asText(kOptionUserAgentString);
    in.followRedirects = asInt(kOptionEnableRedirects) != 0;
    in.maxRedirects = asInt(kOptionMaxAutomaticRedirects);
    in.http11 = asInt(kOptionEnableHttp1_1) != 0;
    in.ignoreTlsErrors = asInt(kOptionSslErrorIgnoreFlags) != 0;
    in.headersOnly = asInt(kOptionReadHeadersOnly) != 0;
    in.proxySetting = m_proxySetting;
    in.proxyServer = m_proxyServer;
    in.bypassList = m_bypassList;
    in.user = m_user;
    in.password = m_password;
    in.credentialsForProxy = m_credentialsForProxy;
    in.clientCertificate = m_clientCertificate;
    const NetworkLimits limits = CurrentNetworkLimits();
    in.maxBytes = limits.requestMaxBytes;
    std::array<long, kTimeoutSlots> t{};
    if (m_timeouts) {
        t = *m_timeouts;
    } else {
        t[kResolveTimeout] = static_cast<long>(limits.requestResolve.count());
        t[kConnectTimeout] = static_cast<long>(limits.requestConnect.count());
        t[kSendTimeout] = static_cast<long>(limits.requestSend.count());
        t[kReceiveTimeout] = static_cast<long>(limits.requestReceive.count());
    }
    const auto limit = [](long ms) { return ms > 0 ? ms : 0L; };
    in.connectMs = t[kConnectTimeout] > 0 ? limit(t[kResolveTimeout]) + t[kConnectTimeout] : 0;
    in.sendMs = limit(t[kSendTimeout]);
    in.receiveMs = limit(t[kReceiveTimeout]);
    // However the four are set, the request as a whole ends: a step without
    // a limit must not let a trickling server hold it for ever.
    const long sum = limit(t[0]) + limit(t[1]) + limit(t[2]) + limit(t[3]);
    const bool allLimited = std::all_of(t.begin(), t.end(), [](long ms) { return ms > 0; });
    const long defaultTotal = static_cast<long>(limits.requestTotal.count());
    in.totalMs = !m_timeouts ? defaultTotal : allLimited ? sum : std::max(defaultTotal, sum);
    return in;
}

}  // namespace

std::shared_ptr<ComponentObject> MakeHttpRequestComponent() { return std::make_shared<HttpRequestComponent>(); }

}  // namespace kestrane
