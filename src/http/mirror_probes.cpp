#include "http/mirror_probes.h"

#include "http/http_request.h"
#include "pattern/byte_pattern.h"
#include "platform/status_probe.h"

namespace kestrane {

namespace {
constexpr const char* kHostPattern = R"((http://)[\w\.]+[^/])";
}  // namespace

RedirectProbe GetRedirectTarget(const Text& url) {
    HttpRequest request;
    RedirectProbe probe;
    probe.requestedUrl = request.Open(Text("GET"), url);
    (void)request.Option(kOptionEnableRedirects, 0);
    (void)request.Option(kOptionReadHeadersOnly, 1);  // the body is never needed
    request.Send();
    probe.location = request.GetResponseHeader(Text("Location"));
    return probe;
}

ProbeTarget SplitProbeUrl(const Text& url) {
    static const BytePattern hostPattern(kHostPattern);
    Text m;
    hostPattern.ForEachMatch(url.View(), [&](const PatternMatch& match) { m = Text(match.Group(0)); });
    ProbeTarget target;
    target.objectPath = url.Right(url.Length() - m.Length());
    target.serverName = m.Mid(8, m.Length());
    return target;
}

bool IsBadRequestHost(const Text& url) {
    const ProbeTarget target = SplitProbeUrl(url);
    const auto statusText = ProbeStatusText(target.serverName, target.objectPath);
    return statusText && *statusText == Text("Bad Request");
}

}  // namespace kestrane
