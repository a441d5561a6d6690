#include "platform/automation/header_bytes.h"

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace kestrane {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscapedByte(char16_t u) { return u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF; }

}  // namespace

std::u16string DecodeKeepingBytes(std::string_view bytes) {
    // One decision for the whole value: a GBK pair can also be a well-formed
    // UTF-8 sequence, so decoding piece by piece would turn some of a GBK
    // value's characters into others.
    if (!IsValidUtf8(bytes)) {
        std::u16string out;
        out.reserve(bytes.size());
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out.push_back(b < 0x80 ? static_cast<char16_t>(b) : static_cast<char16_t>(kEscapeBase + b));
        }
        return out;
    }
    return Utf8ToUtf16(bytes);
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
