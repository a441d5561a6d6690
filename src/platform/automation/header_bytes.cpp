#include "platform/automation/header_bytes.h"

#include "platform/code_page.h"

namespace kestrane {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at `at` and its code point; 0 when there is none.
std::size_t Utf8Sequence(std::string_view s, std::size_t at, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[at]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t n = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) n = 2, cp = b0 & 0x1F, min = 0x80;
    else if (b0 >= 0xE0 && b0 <= 0xEF) n = 3, cp = b0 & 0x0F, min = 0x800;
    else if (b0 >= 0xF0 && b0 <= 0xF4) n = 4, cp = b0 & 0x07, min = 0x10000;
    else return 0;
    if (at + n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[at + i]);
        if (!IsContinuation(b)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

bool IsEscapedByte(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

bool IsWellFormedUtf8(std::string_view bytes) {
    char32_t cp = 0;
    for (std::size_t at = 0, n = 0; at < bytes.size(); at += n) {
        if ((n = Utf8Sequence(bytes, at, cp)) == 0) return false;
    }
    return true;
}

}  // namespace

std::u16string DecodeKeepingBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    // One decision for the whole value: a GBK pair can also be a well-formed
    // UTF-8 sequence, so decoding piece by piece would turn some of a GBK
    // value's characters into others.
    if (!IsWellFormedUtf8(bytes)) {
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out.push_back(b < 0x80 ? static_cast<char16_t>(b) : static_cast<char16_t>(kEscapeBase + b));
        }
        return out;
    }
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t cp = 0;
        const std::size_t n = Utf8Sequence(bytes, at, cp);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        at += n;
    }
    return out;
}

Text EncodeKeepingBytes(std::u16string_view utf16) {
    std::string out;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const bool lone = IsEscapedByte(utf16[i]) && (i == 0 || utf16[i - 1] < 0xD800 || utf16[i - 1] > 0xDBFF);
        if (!lone) continue;
        out += Utf16ToAnsi(utf16.substr(runStart, i - runStart)).Str();
        out.push_back(static_cast<char>(utf16[i] - kEscapeBase));
        runStart = i + 1;
    }
    if (runStart == 0) return Utf16ToAnsi(utf16);
    out += Utf16ToAnsi(utf16.substr(runStart)).Str();
    return Text(out);
}

}  // namespace kestrane
