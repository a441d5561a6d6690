#include "cli/output_format.h"

#include <nlohmann/json.hpp>

#include <vector>

#include "cli/terminal_text.h"
#include "platform/ascii.h"

namespace kestrane {

namespace {

struct Field {
    const char* key;
    std::string ParseResult::*member;
};

constexpr Field kFields[] = {
    {"address1", &ParseResult::address1}, {"address2", &ParseResult::address2},
    {"address3", &ParseResult::address3}, {"name", &ParseResult::name},
    {"kind", &ParseResult::kind},         {"size", &ParseResult::size},
    {"md5", &ParseResult::md5},
};

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// A download address aria2 can fetch: an absolute http or https URL. Bytes
// that would break the line (white space, controls) are percent-encoded.
std::string Aria2Uri(const std::string& address) {
    if (!IsDownloadAddress(address)) return {};
    std::string out;
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : address) {
        const auto b = static_cast<unsigned char>(c);
        if (IsControl(b) || b == ' ') {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool IsMd5(const std::string& s) {
    if (s.size() != 32) return false;
    for (const char c : s) {
        if (HexDigitValue(c) < 0) return false;
    }
    return true;
}

}  // namespace

std::string FormatPlain(const ParseResult& r, bool batch, std::size_t index) {
    std::string out;
    if (batch && index > 0) out += "\n";
    if (batch) out += "share: " + TerminalSafe(r.share) + "\n";
    for (const Field& f : kFields) out += std::string(f.key) + ": " + TerminalSafe(r.*f.member) + "\n";
    if (r.gid) out += "gid: " + TerminalSafe(*r.gid) + "\n";
    return out;
}

std::string FormatJson(const ParseResult& r, bool batch) {
    nlohmann::ordered_json object;
    if (batch) object["share"] = r.share;
    for (const Field& f : kFields) object[f.key] = r.*f.member;
    if (r.gid) object["gid"] = *r.gid;
    // Every text here comes out of the code-page module as valid UTF-8; replace rather than throw all the same.
    return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string SafeFileName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto b = static_cast<unsigned char>(c);
        out += (c == '/' || c == '\\' || IsControl(b)) ? '_' : c;
    }
    if (out == "." || out == "..") out = "_";
    return out;
}

std::optional<Aria2Download> MakeAria2Download(const ParseResult& r) {
    Aria2Download d;
    const std::string first = Aria2Uri(r.address1);
    if (first.empty()) return std::nullopt;
    d.uris.push_back(first);
    for (const std::string* a : {&r.address2, &r.address3}) {
        if (std::string uri = Aria2Uri(*a); !uri.empty()) d.uris.push_back(std::move(uri));
    }
    if (!r.name.empty()) d.out = SafeFileName(r.name);
    if (IsMd5(r.md5)) {
        d.checksum = "md5=" + AsciiLower(r.md5);
    }
    return d;
}

std::string FormatAria2(const ParseResult& r, const std::vector<std::string>& headers) {
    const auto d = MakeAria2Download(r);
    if (!d) return "# no link: " + TerminalSafe(r.share) + "\n";
    std::string out;
    for (std::size_t i = 0; i < d->uris.size(); ++i) out += (i ? "\t" : "") + d->uris[i];
    out += "\n";
    if (!d->out.empty()) out += " out=" + d->out + "\n";
    if (!d->checksum.empty()) out += " checksum=" + d->checksum + "\n";
    for (const std::string& header : headers) out += " header=" + header + "\n";
    return out;
}

}  // namespace kestrane
