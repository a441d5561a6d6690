#pragma once

// Reading UTF-8 one character at a time, the one way the program does it.

#include <cstddef>
#include <string_view>

namespace kestrane {

// The character of `utf8` at `i`; `i` moves past it. An ill-formed sequence
// (a stray or cut byte, an overlong form, a surrogate, a value past U+10FFFF)
// gives U+FFFD with `valid` false, and `i` moves past its maximal subpart:
// the longest prefix of a well-formed sequence that the bytes begin with, at
// least one byte, so there is one replacement per subpart, as Unicode
// recommends. `i` must be inside `utf8`.
inline char32_t NextUtf8(std::string_view utf8, std::size_t& i, bool& valid) {
    const auto b0 = static_cast<unsigned char>(utf8[i++]);
    valid = true;
    if (b0 < 0x80) return b0;
    int more = 0;
    char32_t c = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        more = 1, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        more = 2, c = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        more = 3, c = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        valid = false;
        return 0xFFFD;
    }
    for (int k = 0; k < more; ++k) {
        if (i >= utf8.size()) {
            valid = false;
            return 0xFFFD;
        }
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < lo || b > hi) {
            valid = false;
            return 0xFFFD;
        }
        lo = 0x80, hi = 0xBF;
        c = c << 6 | (b & 0x3F);
        ++i;
    }
    return c;
}

// True when every byte of `bytes` belongs to a well-formed UTF-8 character.
inline bool IsValidUtf8(std::string_view bytes) {
    bool valid = true;
    for (std::size_t i = 0; i < bytes.size() && valid;) NextUtf8(bytes, i, valid);
    return valid;
}

}  // namespace kestrane
