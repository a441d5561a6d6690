#pragma once

// Conversions between the system ANSI code page (GBK, Windows code page 936,
// where 0x80 is the euro sign), UTF-16 and UTF-8. Everything that leaves the
// byte world (the window, the clipboard, the terminal, the components) goes
// through here.
//
// None of these fail: an invalid sequence becomes U+FFFD on the way to
// Unicode, and a character GBK lacks becomes "?" on the way back.

#include <string>
#include <string_view>

#include "platform/text.h"

namespace kestrane {

std::u16string AnsiToUtf16(std::string_view ansi);
Text Utf16ToAnsi(std::u16string_view utf16);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

std::string AnsiToUtf8(std::string_view ansi);
Text Utf8ToAnsi(std::string_view utf8);

inline std::u16string AnsiToUtf16(const Text& t) { return AnsiToUtf16(t.View()); }
inline std::string AnsiToUtf8(const Text& t) { return AnsiToUtf8(t.View()); }



}  // namespace kestrane

namespace kestrane {

// `bytes` in the character set named `charset` (any name ICU knows; UTF-8
// when empty or unknown, a UTF-8 byte-order mark dropped) as UTF-16.
std::u16string DecodeCharset(std::string_view bytes, std::string_view charset);

}  // namespace kestrane
