#include "cli/pasted_address.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/ascii.h"
#include "platform/utf8.h"

namespace kestrane {

namespace {

std::size_t FindAddressStart(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (StartsWithIgnoringAsciiCase(text.substr(i), "http://") || StartsWithIgnoringAsciiCase(text.substr(i), "https://")) return i;
    }
    return std::string_view::npos;
}

// Characters that end an address written in running text.
bool EndsAddress(char32_t c) {
    if (c <= 0x20 || c == 0x7F) return true;
    if (c == '<' || c == '>' || c == '"' || c == '\'' || c == '`') return true;
    if (c >= 0x2000 && c <= 0x206F) return true;  // general punctuation: spaces, quotes, dashes
    if (c >= 0x3000 && c <= 0x303F) return true;  // CJK symbols and punctuation: 、。「」
    if (c >= 0xFF00 && c <= 0xFF65) return true;  // full-width forms: ，：（）
    return false;
}

std::string TrimTrailingPunctuation(std::string address) {
    constexpr std::array<std::pair<char, char>, 3> kPairs{{{'(', ')'}, {'[', ']'}, {'{', '}'}}};
    while (!address.empty()) {
        const char last = address.back();
        if (std::string_view(".,;:!?").find(last) != std::string_view::npos) {
            address.pop_back();
            continue;
        }
        const auto pair = std::find_if(kPairs.begin(), kPairs.end(), [&](const auto& p) { return p.second == last; });
        if (pair == kPairs.end()) break;
        const auto opens = std::count(address.begin(), address.end(), pair->first);
        const auto closes = std::count(address.begin(), address.end(), pair->second);
        if (closes <= opens) break;  // "…/a_(b)" keeps its bracket
        address.pop_back();
    }
    return address;
}

// "提取码: abcd" (or 提取碼, 密码, 密碼; ASCII or full-width colon; spaces) in
// the text around the address: the four letters or digits.
std::string FindExtractionCode(std::string_view around) {
    for (const std::string_view label : {"提取码", "提取碼", "密码", "密碼"}) {
        for (std::size_t at = around.find(label); at != std::string_view::npos; at = around.find(label, at + 1)) {
            std::size_t i = at + label.size();
            const auto skip = [&] {
                for (bool moved = true; moved;) {
                    moved = false;
                    for (const std::string_view filler : {" ", "\t", ":", "：", "　", "="}) {
                        if (around.substr(i).starts_with(filler)) {
                            i += filler.size();
                            moved = true;
                        }
                    }
                }
            };
            skip();
            std::size_t n = 0;
            while (i + n < around.size() && std::isalnum(static_cast<unsigned char>(around[i + n]))) ++n;
            if (n == 4) return std::string(around.substr(i, n));
        }
    }
    return {};
}

}  // namespace

PastedAddress ExtractShareAddress(const std::string& text) {
    PastedAddress out;
    if (!IsValidUtf8(text)) {
        out.problem = "not valid UTF-8";
        return out;
    }
    bool valid = true;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = NextUtf8(text, i, valid);
        if ((c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F)) {  // C0, DEL and C1
            out.problem = "holds a control character";
            return out;
        }
    }
    const std::string_view view(text);
    const std::size_t start = FindAddressStart(view);
    if (start == std::string_view::npos) {
        out.problem = "no http or https address in it";
        return out;
    }
    std::size_t end = start;
    for (std::size_t next = end; end < view.size(); end = next) {
        if (EndsAddress(NextUtf8(view, next, valid))) break;
    }
    out.address = TrimTrailingPunctuation(std::string(view.substr(start, end - start)));
    const std::size_t schemeLength = StartsWithIgnoringAsciiCase(out.address, "https://") ? 8 : 7;
    if (out.address.size() == schemeLength) {
        out.problem = "no http or https address in it";
        out.address.clear();
        return out;
    }
    out.extractionCode = FindExtractionCode(std::string(view.substr(0, start)) + " " + std::string(view.substr(end)));
    return out;
}

}  // namespace kestrane
