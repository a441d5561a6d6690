#include "cli/parse_result.h"

#include "app/parse_command.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/network_limits.h"
#include "platform/page_fetch.h"

namespace kestrane {

namespace {

std::string WithCurlWords(const std::string& what, const PageFetchOutcome& o) {
    return o.curlMessage.empty() ? what : what + ": " + o.curlMessage;
}

// Why a parse whose page gave no link gave none.
std::string NoLinkReason(const PageFetchRecorder& recorder) {
    if (!recorder.HasFetched()) return "no link on the page";
    const PageFetchOutcome& o = recorder.Last();
    switch (o.failure) {
        case PageFetchFailure::kNone: break;
        case PageFetchFailure::kNotHttpUrl: return "not an address that can be fetched";
        case PageFetchFailure::kCouldNotConnect: return WithCurlWords("could not connect", o);
        case PageFetchFailure::kTimedOut: return WithCurlWords("timed out", o);
        case PageFetchFailure::kTransferFailed:
            return WithCurlWords(o.bytes > 0 ? "the page broke off after " + std::to_string(o.bytes) + " bytes"
                                             : "no page arrived",
                                 o);
        case PageFetchFailure::kHttpStatus: {
            std::string status = "the page answered HTTP " + std::to_string(o.httpStatus);
            if (!o.httpReason.empty()) status += " " + o.httpReason;
            return status;
        }
        case PageFetchFailure::kEmpty: return "the page is empty";
        case PageFetchFailure::kCutAtSizeCap:
            return "the page was cut at the size cap of " + std::to_string(CurrentNetworkLimits().pageMaxBytes) +
                   " bytes, with no link before it";
    }
    return "no link on the page";
}

}  // namespace

bool IsDownloadAddress(const std::string& address) {
    const std::string lower = AsciiLower(std::string_view(address).substr(0, 8));
    if (lower.starts_with("https://")) return address.size() > 8;
    return lower.starts_with("http://") && address.size() > 7;
}

ParseResult ParseShare(MemoryWindow& window, const std::string& shareUtf8) {
    using enum Control;
    PageFetchRecorder recorder;
    window.SetText(编辑框_百度, Utf8ToAnsi(shareUtf8));
    OnParseClicked(window);
    ParseResult r;
    r.share = shareUtf8;
    r.address1 = AnsiToUtf8(window.GetText(编辑框_下载地址));
    r.address2 = AnsiToUtf8(window.GetText(编辑框_下载地址2));
    r.address3 = AnsiToUtf8(window.GetText(编辑框_下载地址3));
    r.name = AnsiToUtf8(window.GetCaption(标签_文件名));
    r.kind = AnsiToUtf8(window.GetCaption(标签_拓展名));
    r.size = AnsiToUtf8(window.GetCaption(标签_大小));
    r.md5 = AnsiToUtf8(window.GetCaption(标签_MD5));
    // The mirror stage writes "http://" in front of an empty link: no link then.
    if (!IsDownloadAddress(r.address1)) r.failure = NoLinkReason(recorder);
    return r;
}

}  // namespace kestrane
