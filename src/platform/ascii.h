#pragma once

// Byte-level helpers that know ASCII only: letter case, line breaks, control
// bytes and hexadecimal digits. Bytes above 0x7F are never changed or matched.

#include <string>
#include <string_view>

namespace kestrane {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

// `s` with A-Z turned to a-z.
inline std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// True when `s` begins with `prefix`, letter case aside.
inline bool StartsWithIgnoringAsciiCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

// True when `s` holds a carriage return or a line feed.
inline bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// True when `s` holds a CR, an LF or a NUL: bytes that would end or split a
// protocol line if they reached one.
inline bool HasLineBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// True when `s` holds a control byte: below 0x20 (tab included) or DEL.
inline bool HasControlByte(std::string_view s) {
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return true;
    }
    return false;
}

// The value of hexadecimal digit `c` (either letter case), or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace kestrane
