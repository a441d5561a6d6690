#include "platform/automation/http_request_component.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/curl_session.h"
#include "platform/network_limits.h"

namespace kestrane {

namespace {

using Clock = std::chrono::steady_clock;

std::string Narrow(const Variant& v) { return v.GetKind() == Variant::Kind::kString ? Utf16ToUtf8(v.String()) : ""; }

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

struct Response {
    std::size_t maxBytes = 0;
    long status = 0;
    std::string statusText;
    std::vector<std::string> headerLines;  // without their CR LF
    std::string body;
    std::string finalUrl;
};

// Everything one transfer needs, copied out of the component so that an
// asynchronous transfer owns its own inputs.
struct TransferInput {
    std::string method;
    std::string url;
    std::vector<std::string> headers;
    std::optional<std::string> body;
    std::string agent;
    bool followRedirects = true;
    long maxRedirects = 10;
    bool http11 = true;
    bool ignoreTlsErrors = false;
    int proxySetting = 1;  // 0 preconfigured (environment), 1 direct, 2 named proxy
    std::string proxyServer, bypassList;
    std::string user, password;
    bool credentialsForProxy = false;
    std::string clientCertificate;
    long resolveMs = 0, connectMs = 0, sendMs = 0, receiveMs = 0;
    long totalMs = 0;  // 0: no bound on the whole request
    std::size_t maxBytes = 0;
};

struct TransferOutcome {
    bool ok = false;
    std::string error;
    Response response;
};

struct Progress {
    CURL* handle;
    const std::atomic<bool>* abort;
    long sendMs, receiveMs;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0, lastUp = 0;
    bool timedOut = false;
};

int OnProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    (void)dltotal;
    auto* p = static_cast<Progress*>(user);
    if (p->abort->load()) return 1;
    const auto now = Clock::now();
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(p->handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0 || dlnow != p->lastDown || ulnow != p->lastUp) {
        // Still connecting (the connect time-out rules), or bytes moved.
        p->lastActivity = now;
        p->lastDown = dlnow;
        p->lastUp = ulnow;
        return 0;
    }
    const bool sending = ultotal > 0 && ulnow < ultotal;
    const long limit = sending ? p->sendMs : p->receiveMs;
    if (limit > 0 && now - p->lastActivity > std::chrono::milliseconds(limit)) {
        p->timedOut = true;
        return 1;
    }
    return 0;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* r = static_cast<Response*>(user);
    const std::size_t n = size * count;
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (auto status = ParseStatusLine(line)) {
        // A new response begins (after a redirect or a 100 Continue).
        r->headerLines.clear();
        r->status = status->code;
        r->statusText = std::move(status->reason);
    } else if (!line.empty()) {
        r->headerLines.push_back(line);
    }
    return n;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* r = static_cast<Response*>(user);
    const std::size_t n = size * count;
    if (r->body.size() + n > r->maxBytes) return 0;
    r->body.append(data, n);
    return n;
}

TransferOutcome RunTransfer(const TransferInput& in, const std::atomic<bool>& abort) {
    TransferOutcome out;
    CurlEasy easy = MakeCurlEasy();
    if (!easy) {
        out.error = "the HTTP client could not start";
        return out;
    }
    CURL* h = easy.get();
    CurlSlist headers;
    bool hasContentType = false;
    for (const std::string& header : in.headers) {
        AppendHeader(headers, header.c_str());
        if (LowerAscii(header).starts_with("content-type:")) hasContentType = true;
    }
    if (in.body && !hasContentType) AppendHeader(headers, "Content-Type: text/plain; Charset=UTF-8");

    curl_easy_setopt(h, CURLOPT_URL, in.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    if (in.method == "GET") {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    } else if (in.method == "HEAD") {
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, in.method.c_str());
    }
    if (in.body) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(in.body->size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, in.body->data());
        if (in.method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, in.method.c_str());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, in.agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, in.http11 ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, in.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, in.maxRedirects);
    if (in.ignoreTlsErrors) {
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    switch (in.proxySetting) {
        case 0: break;  // the environment's settings
        case 2:
            curl_easy_setopt(h, CURLOPT_PROXY, in.proxyServer.c_str());
            if (!in.bypassList.empty()) curl_easy_setopt(h, CURLOPT_NOPROXY, in.bypassList.c_str());
            break;
        default: curl_easy_setopt(h, CURLOPT_PROXY, ""); break;
    }
    if (!in.user.empty() || !in.password.empty()) {
        if (in.credentialsForProxy) {
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, in.user.c_str());
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, in.password.c_str());
        } else {
            curl_easy_setopt(h, CURLOPT_USERNAME, in.user.c_str());
            curl_easy_setopt(h, CURLOPT_PASSWORD, in.password.c_str());
            curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
        }
    }
    if (!in.clientCertificate.empty()) curl_easy_setopt(h, CURLOPT_SSLCERT, in.clientCertificate.c_str());
    const long connectMs = (in.resolveMs > 0 ? in.resolveMs : 0) + (in.connectMs > 0 ? in.connectMs : 0);
    if (in.connectMs > 0) curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
    if (in.totalMs > 0) curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, in.totalMs);
    Progress progress{h, &abort, in.sendMs, in.receiveMs};
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &out.response);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &out.response);
    out.response.maxBytes = in.maxBytes;

    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK) {
        out.ok = true;
        char* effective = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
            out.response.finalUrl = effective;
        }
    } else if (abort.load()) {
        out.error = "the request was aborted";
    } else if (progress.timedOut) {
        out.error = "the operation timed out";
    } else {
        out.error = curl_easy_strerror(rc);
    }
    return out;
}

class HttpRequestComponent : public ComponentObject {
public:
    HttpRequestComponent();
    ~HttpRequestComponent() override { StopTransfer(); }

private:
    enum class State { kNew, kOpened, kSending, kDone };

    void StopTransfer() {
        m_abort = true;
        if (m_worker.joinable()) m_worker.join();
        m_abort = false;
    }

    // The response of the last send; raises when there is none yet.
    const Response& Answer() {
        std::unique_lock lock(m_mutex);
        if (m_state != State::kDone || !m_response) RaiseComponentError("no response is available yet");
        return *m_response;
    }

    Variant OptionValue(int index) const;
    TransferInput MakeInput(std::optional<std::string> body) const;
    Variant DoSend(const Variant& body);

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    State m_state = State::kNew;
    bool m_async = false;
    std::string m_method, m_url;
    std::vector<std::string> m_headers;
    std::map<int, Variant> m_options;
    int m_proxySetting = 1;
    std::string m_proxyServer, m_bypassList;
    std::string m_user, m_password;
    bool m_credentialsForProxy = false;
    std::string m_clientCertificate;
    std::int32_t m_autoLogonPolicy = 1;
    std::optional<std::array<long, 4>> m_timeouts;  // set by SetTimeouts; the defaults until then
    std::optional<Response> m_response;
    std::string m_lastError;
    std::atomic<bool> m_abort{false};
    std::thread m_worker;
};

Variant HttpRequestComponent::OptionValue(int index) const {
    if (const auto it = m_options.find(index); it != m_options.end()) return it->second;
    switch (index) {
        case kOptionUserAgentString: return Variant(Utf8ToUtf16(kHttpRequestDefaultAgent));
        case kOptionUrl: return Variant(Utf8ToUtf16(m_response && !m_response->finalUrl.empty() ? m_response->finalUrl : m_url));
        case 2: return Variant(std::int32_t{65001});  // URL code page
        case kOptionEnableRedirects: return Variant(true);
        case kOptionMaxAutomaticRedirects: return Variant(std::int32_t{10});
        case kOptionEnableHttp1_1: return Variant(true);
        default: return Variant(std::int32_t{0});
    }
}

TransferInput HttpRequestComponent::MakeInput(std::optional<std::string> body) const {
    TransferInput in;
    in.method = m_method;
    in.url = m_url;
    in.headers = m_headers;
    in.body = std::move(body);
    CallOutcome ignored = CallOutcome::kSuccess;
    const auto asText = [&](int option) {
        auto v = ConvertVariant(OptionValue(option), ParamKind::kString, ignored);
        return v ? Utf16ToUtf8(v->String()) : std::string();
    };
    const auto asInt = [&](int option) {
        auto v = ConvertVariant(OptionValue(option), ParamKind::kInt, ignored);
        return v ? v->Int() : 0;
    };
    in.agent = asText(kOptionUserAgentString);
    in.followRedirects = asInt(kOptionEnableRedirects) != 0;
    in.maxRedirects = asInt(kOptionMaxAutomaticRedirects);
    in.http11 = asInt(kOptionEnableHttp1_1) != 0;
    in.ignoreTlsErrors = asInt(kOptionSslErrorIgnoreFlags) != 0;
    in.proxySetting = m_proxySetting;
    in.proxyServer = m_proxyServer;
    in.bypassList = m_bypassList;
    in.user = m_user;
    in.password = m_password;
    in.credentialsForProxy = m_credentialsForProxy;
    in.clientCertificate = m_clientCertificate;
    const NetworkLimits limits = CurrentNetworkLimits();
    in.maxBytes = limits.requestMaxBytes;
    if (m_timeouts) {
        const auto& t = *m_timeouts;
        in.resolveMs = t[0], in.connectMs = t[1], in.sendMs = t[2], in.receiveMs = t[3];
        const bool allLimited = t[0] > 0 && t[1] > 0 && t[2] > 0 && t[3] > 0;
        in.totalMs = allLimited ? t[0] + t[1] + t[2] + t[3] : 0;
    } else {
        in.resolveMs = static_cast<long>(limits.requestResolve.count());
        in.connectMs = static_cast<long>(limits.requestConnect.count());
        in.sendMs = static_cast<long>(limits.requestSend.count());
        in.receiveMs = static_cast<long>(limits.requestReceive.count());
        in.totalMs = static_cast<long>(limits.requestTotal.count());
    }
    return in;
}

Variant HttpRequestComponent::DoSend(const Variant& body) {
    std::optional<std::string> payload;
    switch (body.GetKind()) {
        case Variant::Kind::kEmpty: break;
        case Variant::Kind::kByteArray:
            payload.emplace(body.Array().elements.begin(), body.Array().elements.end());
            break;
        case Variant::Kind::kObject:
            throw ComponentError{CallOutcome::kTypeMismatch, "a body cannot be an object"};
        default: {
            CallOutcome why = CallOutcome::kTypeMismatch;
            const auto text = ConvertVariant(body, ParamKind::kString, why);
            if (!text) throw ComponentError{why, "the body cannot be sent"};
            payload = Utf16ToUtf8(text->String());
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
    auto finish = [this](TransferOutcome outcome) {
        std::lock_guard lock(m_mutex);
        m_state = outcome.ok ? State::kDone : State::kOpened;
        if (outcome.ok) m_response = std::move(outcome.response);
        m_lastError = outcome.error;
        m_done.notify_all();
    };
    if (m_async) {
        m_worker = std::thread([this, input = std::move(input), finish] { finish(RunTransfer(input, m_abort)); });
        return {};
    }
    TransferOutcome outcome = RunTransfer(input, m_abort);
    const bool ok = outcome.ok;
    std::string error = outcome.error;
    finish(std::move(outcome));
    if (!ok) RaiseComponentError(error);
    return {};
}

HttpRequestComponent::HttpRequestComponent() {
    const Param str{ParamKind::kString, false};
    const Param optStr{ParamKind::kString, true};
    const Param integer{ParamKind::kInt, false};
    const Param any{ParamKind::kAny, true};

    DeclareMethod("Open", {str, str, any}, [this](std::vector<Variant>& a) {
        const std::string method = Narrow(a[0]);
        const std::string url = Narrow(a[1]);
        CallOutcome why = CallOutcome::kTypeMismatch;
        const auto async = a[2].IsEmpty() ? std::optional<Variant>(Variant(false)) : ConvertVariant(a[2], ParamKind::kBool, why);
        if (!async) throw ComponentError{why, "Async is not a Boolean"};
        if (method.empty() || method.find_first_of(" \r\n\t") != std::string::npos) RaiseComponentError("bad verb");
        CurlUrl parsed(curl_url());
        char* scheme = nullptr;
        if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK ||
            curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
            RaiseComponentError("the URL is invalid");
        }
        const std::string s = scheme;
        curl_free(scheme);
        if (s != "http" && s != "https") RaiseComponentError("the URL does not use a recognized protocol");
        StopTransfer();
        std::lock_guard lock(m_mutex);
        m_method = method;
        m_url = url;
        m_async = async->Bool();
        m_headers.clear();
        m_user.clear();
        m_password.clear();
        m_response.reset();
        m_state = State::kOpened;
        return Variant();
    });
    DeclareMethod("SetRequestHeader", {str, str}, [this](std::vector<Variant>& a) {
        const std::string name = Narrow(a[0]), value = Narrow(a[1]);
        if (name.empty() || HasLineBreak(name) || HasLineBreak(value) || name.find(':') != std::string::npos) {
            RaiseComponentError("invalid header");
        }
        std::lock_guard lock(m_mutex);
        if (m_state != State::kOpened && m_state != State::kDone) RaiseComponentError("SetRequestHeader before Open");
        // A later value for the same header replaces the earlier one.
        const std::string prefix = LowerAscii(name) + ":";
        std::erase_if(m_headers, [&](const std::string& h) { return LowerAscii(h).starts_with(prefix); });
        m_headers.push_back(value.empty() ? name + ";" : name + ": " + value);
        return Variant();
    });
    DeclareMethod("Send", {any}, [this](std::vector<Variant>& a) { return DoSend(a[0]); });
    DeclareMethod("WaitForResponse", {any}, [this](std::vector<Variant>& a) {
        CallOutcome why = CallOutcome::kTypeMismatch;
        const auto seconds = a[0].IsEmpty() ? std::optional<Variant>(Variant(std::int32_t{-1}))
                                            : ConvertVariant(a[0], ParamKind::kInt, why);
        if (!seconds) throw ComponentError{why, "bad time-out"};
        std::unique_lock lock(m_mutex);
        const auto finished = [this] { return m_state != State::kSending; };
        if (seconds->Int() < 0) {
            m_done.wait(lock, finished);
            return Variant(true);
        }
        return Variant(m_done.wait_for(lock, std::chrono::seconds(seconds->Int()), finished));
    });
    DeclareMethod("Abort", {}, [this](std::vector<Variant>&) {
        StopTransfer();
        std::lock_guard lock(m_mutex);
        if (m_state != State::kNew) m_state = State::kOpened;
        m_response.reset();
        return Variant();
    });
    DeclareGet("Status", {}, [this](std::vector<Variant>&) { return Variant(static_cast<std::int32_t>(Answer().status)); });
    DeclareGet("StatusText", {}, [this](std::vector<Variant>&) { return Variant(Utf8ToUtf16(Answer().statusText)); });
    DeclareGet("ResponseText", {}, [this](std::vector<Variant>&) {
        const Response& r = Answer();
        std::string charset;
        for (const std::string& line : r.headerLines) {
            const std::string lower = LowerAscii(line);
            if (!lower.starts_with("content-type:")) continue;
            if (const auto at = lower.find("charset="); at != std::string::npos) {
                charset = line.substr(at + 8);
                charset = charset.substr(0, charset.find_first_of("; \""));
                if (charset.empty() && line.size() > at + 9) charset = line.substr(at + 9, line.find('"', at + 9) - at - 9);
            }
        }
        return Variant(DecodeCharset(r.body, charset));
    });
    DeclareGet("ResponseBody", {}, [this](std::vector<Variant>&) {
        const Response& r = Answer();
        return Variant(ByteArray{std::vector<std::uint8_t>(r.body.begin(), r.body.end()), 0, false});
    });
    DeclareGet("ResponseStream", {}, [this](std::vector<Variant>&) {
        const Response& r = Answer();
        class Stream : public ComponentObject {
        public:
            explicit Stream(std::string data) : m_data(std::move(data)) {
                DeclareGet("Size", {}, [this](std::vector<Variant>&) {
                    return Variant(static_cast<double>(m_data.size()));
                });
                DeclareMethod("Read", {{ParamKind::kInt, true}}, [this](std::vector<Variant>& a) {
                    const std::size_t want = a[0].IsEmpty() || a[0].Int() < 0 ? m_data.size() : static_cast<std::size_t>(a[0].Int());
                    const std::size_t n = std::min(want, m_data.size() - m_at);
                    ByteArray out{std::vector<std::uint8_t>(m_data.begin() + static_cast<long>(m_at),
                                                           m_data.begin() + static_cast<long>(m_at + n)), 0, false};
                    m_at += n;
                    return Variant(std::move(out));
                });
            }

        private:
            std::string m_data;
            std::size_t m_at = 0;
        };
        return Variant(ObjectRef(std::make_shared<Stream>(r.body)));
    });
    DeclareMethod("GetResponseHeader", {str}, [this](std::vector<Variant>& a) {
        const std::string prefix = LowerAscii(Narrow(a[0])) + ":";
        for (const std::string& line : Answer().headerLines) {
            if (!LowerAscii(line).starts_with(prefix)) continue;
            std::string value = line.substr(prefix.size());
            value.erase(0, value.find_first_not_of(" \t"));
            return Variant(Utf8ToUtf16(value));
        }
        RaiseComponentError("the requested header was not found");
    });
    DeclareMethod("GetAllResponseHeaders", {}, [this](std::vector<Variant>&) {
        std::string all;
        for (const std::string& line : Answer().headerLines) all += line + "\r\n";
        return Variant(Utf8ToUtf16(all));
    });
    DeclareGet("Option", {integer}, [this](std::vector<Variant>& a) {
        const int index = a[0].Int();
        if (index < 0 || index > 18) RaiseComponentError("the parameter is incorrect");
        std::lock_guard lock(m_mutex);
        return OptionValue(index);
    });
    DeclarePut("Option", {integer, {ParamKind::kAny, false}}, [this](std::vector<Variant>& a) {
        const int index = a[0].Int();
        if (index < 0 || index > 18 || index == kOptionUrl) RaiseComponentError("the parameter is incorrect");
        std::lock_guard lock(m_mutex);
        m_options[index] = a[1];
        return Variant();
    });
    DeclareMethod("SetProxy", {integer, optStr, optStr}, [this](std::vector<Variant>& a) {
        const int setting = a[0].Int();
        if (setting < 0 || setting > 2) RaiseComponentError("the parameter is incorrect");
        std::string bypass = Narrow(a[2]);
        for (char& c : bypass) {
            if (c == ';') c = ',';
        }
        std::lock_guard lock(m_mutex);
        m_proxySetting = setting;
        m_proxyServer = Narrow(a[1]);
        m_bypassList = bypass;
        return Variant();
    });
    DeclareMethod("SetCredentials", {str, str, integer}, [this](std::vector<Variant>& a) {
        std::lock_guard lock(m_mutex);
        if (m_state == State::kNew) RaiseComponentError("SetCredentials before Open");
        if (a[2].Int() != 0 && a[2].Int() != 1) RaiseComponentError("the parameter is incorrect");
        m_user = Narrow(a[0]);
        m_password = Narrow(a[1]);
        m_credentialsForProxy = a[2].Int() == 1;
        return Variant();
    });
    DeclareMethod("SetTimeouts", {integer, integer, integer, integer}, [this](std::vector<Variant>& a) {
        std::lock_guard lock(m_mutex);
        m_timeouts = std::array<long, 4>{a[0].Int(), a[1].Int(), a[2].Int(), a[3].Int()};
        return Variant();
    });
    DeclareMethod("SetClientCertificate", {str}, [this](std::vector<Variant>& a) {
        std::lock_guard lock(m_mutex);
        m_clientCertificate = Narrow(a[0]);
        return Variant();
    });
    DeclareMethod("SetAutoLogonPolicy", {integer}, [this](std::vector<Variant>& a) {
        if (a[0].Int() < 0 || a[0].Int() > 2) RaiseComponentError("the parameter is incorrect");
        std::lock_guard lock(m_mutex);
        m_autoLogonPolicy = a[0].Int();
        return Variant();
    });
}

}  // namespace

std::shared_ptr<ComponentObject> MakeHttpRequestComponent() { return std::make_shared<HttpRequestComponent>(); }

}  // namespace kestrane
