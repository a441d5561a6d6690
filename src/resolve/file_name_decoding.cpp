#include "resolve/file_name_decoding.h"

#include <string>

#include "platform/code_page.h"

namespace kestrane {

namespace {

// The value of a hexadecimal digit in either case, or -1.
int HexValue(unsigned char c) {
    static constexpr std::string_view kDigits = "0123456789ABCDEF";
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 32);
    const auto at = kDigits.find(static_cast<char>(c));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

Text DecodeUrlText(const Text& name) {
    const int length = name.Length();
    Bytes decoded;
    for (int i = 1; i <= length;) {
        const unsigned char c = name.At(i);
        const int high = c == '%' ? HexValue(name.At(i + 1)) : -1;
        const int low = c == '%' ? HexValue(name.At(i + 2)) : -1;
        if (high < 0 || low < 0) {
            decoded.Push(c);  // a plain byte, or a "%" that starts no escape
            i += 1;
            continue;
        }
        if (const int byte = 16 * high + low; byte != 0) decoded.Push(static_cast<unsigned char>(byte));
        i += 3;
    }
    return Utf8BytesToText(decoded);
}

Text Utf8BytesToText(const Bytes& utf8) {
    if (utf8.IsEmpty()) return {};
    const std::u16string wide = Utf8ToUtf16(utf8.Str());
    Bytes units;
    for (const char16_t u : wide) {
        units.Push(static_cast<unsigned char>(u & 0xFF));
        units.Push(static_cast<unsigned char>(u >> 8));
    }
    return Utf16BytesToText(units);
}

Text Utf16BytesToText(const Bytes& utf16) {
    std::u16string wide;
    const unsigned char* p = utf16.Data();
    for (std::size_t i = 0; i + 1 < utf16.Size(); i += 2) {
        const auto unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
        if (unit == 0) break;
        wide.push_back(unit);
    }
    return Utf16ToAnsi(wide);
}

}  // namespace kestrane
