#include "platform/automation/http_transfer.h"

#include <chrono>

#include "platform/ascii.h"
#include "platform/curl_session.h"

namespace kestrane {

namespace {

using Clock = std::chrono::steady_clock;

// What the callbacks of one transfer share.
struct TransferState {
    CURL* handle = nullptr;
    const TransferInput* in = nullptr;
    const std::atomic<bool>* abort = nullptr;
    HttpResponse* response = nullptr;
    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDown = 0, lastUp = 0;
    bool timedOut = false;
    bool stoppedAfterHeaders = false;
    bool locationSeen = false;
};

int OnProgress(void* user, curl_off_t, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    auto* s = static_cast<TransferState*>(user);
    if (s->abort->load()) return 1;
    const auto now = Clock::now();
    curl_off_t pretransfer = 0;
    curl_easy_getinfo(s->handle, CURLINFO_PRETRANSFER_TIME_T, &pretransfer);
    if (pretransfer == 0 || dlnow != s->lastDown || ulnow != s->lastUp) {
        // Still connecting (the connect time-out rules), or bytes moved.
        s->lastActivity = now;
        s->lastDown = dlnow;
        s->lastUp = ulnow;
        return 0;
    }
    const bool sending = ultotal > 0 && ulnow < ultotal;
    const long limit = sending ? s->in->sendMs : s->in->receiveMs;
    if (limit > 0 && now - s->lastActivity > std::chrono::milliseconds(limit)) {
        s->timedOut = true;
        return 1;
    }
    return 0;
}

// True when the header block that just ended is the final response's: not
// an interim 1xx, not a redirect that will be followed, not a challenge that
// will be answered with the credentials.
bool IsFinalHeaderBlock(const TransferState& s) {
    const long status = s.response->status;
    if (status < 200) return false;
    if (s.in->followRedirects && status >= 300 && status < 400 && s.locationSeen) return false;
    const bool credentials = !s.in->user.empty() || !s.in->password.empty();
    return !(credentials && (status == 401 || status == 407));
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* s = static_cast<TransferState*>(user);
    HttpResponse& r = *s->response;
    const std::size_t n = size * count;
    std::string line(data, n);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (auto status = ParseStatusLine(line)) {
        // A new response begins (after a redirect, a challenge or a 100 Continue).
        r.headerLines.clear();
        r.status = status->code;
        r.statusText = std::move(status->reason);
        s->locationSeen = false;
    } else if (!line.empty()) {
        if (StartsWithIgnoringAsciiCase(line, "location:")) s->locationSeen = true;
        r.headerLines.push_back(std::move(line));
    } else if (s->in->headersOnly && IsFinalHeaderBlock(*s)) {
        s->stoppedAfterHeaders = true;
        return 0;  // ends the transfer before any body byte is read
    }
    return n;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* s = static_cast<TransferState*>(user);
    const std::size_t n = size * count;
    if (s->response->body.size() + n > s->in->maxBytes) return 0;
    s->response->body.append(data, n);
    return n;
}

void SetMethodAndBody(CURL* h, const TransferInput& in) {
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
}

void SetProxyAndCredentials(CURL* h, const TransferInput& in) {
    switch (in.proxySetting) {
        case kProxyPreconfigured: break;
        case kProxyNamed:
            curl_easy_setopt(h, CURLOPT_PROXY, in.proxyServer.c_str());
            if (!in.bypassList.empty()) curl_easy_setopt(h, CURLOPT_NOPROXY, in.bypassList.c_str());
            break;
        case kProxyDirect: curl_easy_setopt(h, CURLOPT_PROXY, ""); break;
    }
    if (in.user.empty() && in.password.empty()) return;
    if (in.credentialsForProxy) {
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, in.user.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, in.password.c_str());
    } else {
        curl_easy_setopt(h, CURLOPT_USERNAME, in.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, in.password.c_str());
        curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
    }
}

}  // namespace

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
        if (StartsWithIgnoringAsciiCase(header, "content-type:")) hasContentType = true;
    }
    if (in.body && !hasContentType) AppendHeader(headers, "Content-Type: text/plain; Charset=UTF-8");

    curl_easy_setopt(h, CURLOPT_URL, in.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // A proxy's answer to CONNECT is not the server's response: keep it out
    // of the header callback, which would take its blank line for the end
    // of the final headers.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    SetMethodAndBody(h, in);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, in.agent.c_str());
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, in.http11 ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, in.followRedirects ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, in.maxRedirects);
    if (in.ignoreTlsErrors) {
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    SetProxyAndCredentials(h, in);
    if (!in.clientCertificate.empty()) curl_easy_setopt(h, CURLOPT_SSLCERT, in.clientCertificate.c_str());
    if (in.connectMs > 0) curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, in.connectMs);
    if (in.totalMs > 0) curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, in.totalMs);

    TransferState state;
    state.handle = h;
    state.in = &in;
    state.abort = &abort;
    state.response = &out.response;
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &state);

    const CURLcode rc = curl_easy_perform(h);
    if (rc == CURLE_OK || (rc == CURLE_WRITE_ERROR && state.stoppedAfterHeaders)) {
        out.ok = true;
        char* effective = nullptr;
        if (curl_easy_getinfo(h, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
            out.response.finalUrl = effective;
        }
    } else if (abort.load()) {
        out.error = "the request was aborted";
    } else if (state.timedOut) {
        out.error = "the operation timed out";
    } else {
        out.error = curl_easy_strerror(rc);
    }
    return out;
}

}  // namespace kestrane
