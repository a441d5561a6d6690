#include "cli/output_format.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <vector>

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
    std::string lower;
    for (char c : address.substr(0, 8)) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!lower.starts_with("http://") && !lower.starts_with("https://")) return {};
    if (lower == "http://" && address.size() == 7) return {};
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
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

}  // namespace

std::string FormatPlain(const ParseResult& r, bool batch, std::size_t index) {
    std::string out;
    if (batch && index > 0) out += "\n";
    if (batch) out += "share: " + r.share + "\n";
    for (const Field& f : kFields) out += std::string(f.key) + ": " + r.*f.member + "\n";
    return out;
}

std::string FormatJson(const ParseResult& r, bool batch) {
    nlohmann::ordered_json object;
    if (batch) object["share"] = r.share;
    for (const Field& f : kFields) object[f.key] = r.*f.member;
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

std::string FormatAria2(const ParseResult& r) {
    std::vector<std::string> mirrors;
    const std::string first = Aria2Uri(r.address1);
    if (first.empty()) return "# no link: " + r.share + "\n";
    mirrors.push_back(first);
    for (const std::string* a : {&r.address2, &r.address3}) {
        if (std::string uri = Aria2Uri(*a); !uri.empty()) mirrors.push_back(std::move(uri));
    }
    std::string out;
    for (std::size_t i = 0; i < mirrors.size(); ++i) out += (i ? "\t" : "") + mirrors[i];
    out += "\n";
    if (!r.name.empty()) out += " out=" + SafeFileName(r.name) + "\n";
    if (IsMd5(r.md5)) {
        std::string lower;
        for (const char c : r.md5) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        out += " checksum=md5=" + lower + "\n";
    }
    return out;
}

}  // namespace kestrane
