#include "cli/terminal_text.h"

#include <cstdio>

namespace kestrane {

namespace {

void AppendHex(std::string& out, const char* form, unsigned value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, form, value);
    out += buf;
}

// The length of the well-formed UTF-8 sequence at the start of `s`, or 0.
std::size_t SequenceLength(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
    }
    return n;
}

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            switch (b) {
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    if (b < 0x20 || b == 0x7F) {
                        AppendHex(out, "\\x%02x", b);
                    } else {
                        out += static_cast<char>(b);
                    }
            }
            ++i;
            continue;
        }
        const std::size_t n = SequenceLength(text.substr(i));
        if (n == 0) {
            AppendHex(out, "\\x%02x", b);
            ++i;
        } else if (n == 2 && b == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            AppendHex(out, "\\u%04x", static_cast<unsigned char>(text[i + 1]));  // a C1 control
            i += 2;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace kestrane
