#include "cli/terminal_text.h"

#include <cstdio>

#include "platform/utf8.h"

namespace kestrane {

namespace {

void AppendHex(std::string& out, const char* form, unsigned value) {
    char buf[16];  // room for any unsigned value, which the compiler checks
    std::snprintf(buf, sizeof buf, form, value);
    out += buf;
}

// The bidirectional embeddings, overrides and isolates: shown as they are,
// they make a terminal draw a line's characters in another order than they
// stand.
bool IsBidiControl(char32_t c) { return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069); }

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
        std::size_t next = i;
        bool valid = true;
        const char32_t c = NextUtf8(text, next, valid);
        const std::size_t n = valid ? next - i : 0;
        if (n == 0) {
            AppendHex(out, "\\x%02x", b);
            ++i;
        } else if (c <= 0x9F || IsBidiControl(c)) {
            AppendHex(out, "\\u%04x", static_cast<unsigned>(c));  // a C1 control, or one that reorders the line
            i = next;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

}  // namespace kestrane
