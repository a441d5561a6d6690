#include "resolve/file_name_decoding.h"

#include <algorithm>
#include <string>

#include "platform/ascii.h"
#include "platform/code_page.h"

namespace kestrane {

Text DecodeUrlText(const Text& name) {
    const std::string_view in = name.View();
    std::string decoded;
    decoded.reserve(in.size());
    for (std::size_t i = 0; i < in.size();) {
        // Bytes up to the next "%" are copied as they are, in one go.
        const std::size_t percent = std::min(in.find('%', i), in.size());
        decoded.append(in.substr(i, percent - i));
        if ((i = percent) == in.size()) break;
        const auto c = static_cast<unsigned char>(in[i]);
        const int high = c == '%' && i + 1 < in.size() ? HexDigitValue(in[i + 1]) : -1;
        const int low = c == '%' && i + 2 < in.size() ? HexDigitValue(in[i + 2]) : -1;
        if (high < 0 || low < 0) {
            decoded.push_back(static_cast<char>(c));  // a plain byte, or a "%" that starts no escape
            i += 1;
            continue;
        }
        if (const int byte = 16 * high + low; byte != 0) decoded.push_back(static_cast<char>(byte));
        i += 3;
    }
    return Utf8BytesToText(Bytes(std::move(decoded)));
}

Text Utf8BytesToText(const Bytes& utf8) {
    if (utf8.IsEmpty()) return {};
    // The UTF-16 units go straight on to the ANSI conversion, up to the first
    // unit of value 0 as Utf16BytesToText would take them. Only a zero byte
    // decodes to that unit, so the text is cut there before it is converted.
    const std::string_view bytes = utf8.Str();
    return Utf8ToAnsi(bytes.substr(0, bytes.find('\0')));
}

Text Utf16BytesToText(const Bytes& utf16) {
    std::u16string wide;
    wide.reserve(utf16.Size() / 2);
    const unsigned char* p = utf16.Data();
    for (std::size_t i = 0; i + 1 < utf16.Size(); i += 2) {
        const auto unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
        if (unit == 0) break;
        wide.push_back(unit);
    }
    return Utf16ToAnsi(wide);
}

}  // namespace kestrane
