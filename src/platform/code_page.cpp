#include "platform/code_page.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <memory>

namespace kestrane {

namespace {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// ICU's "windows-936-2000" table is Microsoft's own code page 936, euro
// sign at 0x80 included. One converter per thread: converters carry state.
UConverter* AnsiConverter() {
    thread_local ConverterPtr converter = [] {
        UErrorCode err = U_ZERO_ERROR;
        ConverterPtr c(ucnv_open("windows-936-2000", &err));
        if (U_SUCCESS(err)) {
            err = U_ZERO_ERROR;
            ucnv_setSubstChars(c.get(), "?", 1, &err);
        }
        return c;
    }();
    ucnv_reset(converter.get());
    return converter.get();
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
    if (ansi.empty()) return {};
    UConverter* conv = AnsiConverter();
    if (conv == nullptr) return {};
    std::u16string out(ansi.size(), u'\0');  // GBK never yields more units than bytes
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv, out.data(), static_cast<int32_t>(out.size()), ansi.data(),
                                    static_cast<int32_t>(ansi.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return {};
    out.resize(static_cast<std::size_t>(n));
    return out;
}

Text Utf16ToAnsi(std::u16string_view utf16) {
    if (utf16.empty()) return {};
    UConverter* conv = AnsiConverter();
    if (conv == nullptr) return {};
    std::string out(utf16.size() * 2 + 2, '\0');  // two bytes per unit is enough for GBK
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()), utf16.data(),
                                      static_cast<int32_t>(utf16.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return {};
    out.resize(static_cast<std::size_t>(n));
    return Text(std::string_view(out));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    if (utf8.empty()) return {};
    std::u16string out(utf8.size(), u'\0');  // never more units than bytes
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr, &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return {};
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    if (utf16.empty()) return {};
    std::string out(utf16.size() * 3, '\0');
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &n, utf16.data(),
                       static_cast<int32_t>(utf16.size()), 0xFFFD, nullptr, &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) return {};
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) { return Utf16ToUtf8(AnsiToUtf16(ansi)); }

Text Utf8ToAnsi(std::string_view utf8) { return Utf16ToAnsi(Utf8ToUtf16(utf8)); }

bool IsValidUtf8(std::string_view bytes) {
    if (bytes.empty()) return true;
    int32_t n = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8(nullptr, 0, &n, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    return err != U_INVALID_CHAR_FOUND && err != U_ILLEGAL_CHAR_FOUND;
}

}  // namespace kestrane

namespace kestrane {

std::u16string DecodeCharset(std::string_view bytes, std::string_view charset) {
    if (!charset.empty()) {
        UErrorCode err = U_ZERO_ERROR;
        const std::string name(charset);
        ConverterPtr conv(ucnv_open(name.c_str(), &err));
        if (U_SUCCESS(err) && conv) {
            std::u16string out(bytes.size() * 2 + 2, u'\0');
            err = U_ZERO_ERROR;
            const int32_t n = ucnv_toUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                            static_cast<int32_t>(bytes.size()), &err);
            if (U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING) {
                out.resize(static_cast<std::size_t>(n));
                return out;
            }
        }
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return Utf8ToUtf16(bytes);
}

}  // namespace kestrane
