#pragma once

// Header bytes carried through UTF-16 intact. A response header is bytes; the
// component hands texts out as UTF-16. A value that is well-formed UTF-8 as a
// whole is decoded; in any other value every byte b of 0x80 and up becomes the
// lone surrogate U+DC00 + b, which the program's side turns back into that byte. A Location in GBK or any other bytes thus
// reaches the caller as it was sent.

#include <string_view>

#include "platform/text.h"

namespace kestrane {

std::u16string DecodeKeepingBytes(std::string_view bytes);

// UTF-16 to the ANSI code page; a lone surrogate U+DC80..U+DCFF becomes its byte.
Text EncodeKeepingBytes(std::u16string_view utf16);

}  // namespace kestrane
