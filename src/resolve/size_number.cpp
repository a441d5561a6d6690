#include "resolve/size_number.h"

#include <locale.h>

#include <cstdlib>
#include <string>

namespace kestrane {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Full-width forms (GBK 0xA3 0xB0..0xB9 digits, 0xA3 0xAB "+", 0xA3 0xAD "-",
// 0xA3 0xAE ".", 0xA1 0xA1 space) to ASCII; other characters stay.
std::string ToAsciiForms(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (IsLeadByte(lead) && i + 1 < s.size()) {
            const auto trail = static_cast<unsigned char>(s[i + 1]);
            if (lead == 0xA3 && ((trail >= 0xB0 && trail <= 0xB9) || trail == 0xAB || trail == 0xAD || trail == 0xAE)) {
                out.push_back(static_cast<char>(trail - 0x80));
            } else if (lead == 0xA1 && trail == 0xA1) {
                out.push_back(' ');
            } else {
                out.append(s.substr(i, 2));
            }
            i += 2;
        } else {
            out.push_back(s[i]);
            i += 1;
        }
    }
    return out;
}

// The longest prefix of `s` that reads as a decimal number, after white space.
std::string DecimalPrefix(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        while (j < s.size() && IsDigit(s[j])) ++j, ++digits;
        if (digits > 0) i = j;
    }
    if (digits == 0) return {};
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            i = j;
        }
    }
    return s.substr(start, i - start);
}

}  // namespace

float ParseSingleNumber(const Text& text) {
    const std::string prefix = DecimalPrefix(ToAsciiForms(text.View()));
    if (prefix.empty()) return 0.0f;
    // The window program runs with the user's locale; the page's point is always ".".
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtof_l(prefix.c_str(), nullptr, cLocale);
}

}  // namespace kestrane
