#pragma once

// Header bytes carried through UTF-16 intact. A response header is bytes; the
// component hands texts out as UTF-16. Well-formed UTF-8 is decoded; every
// other byte b becomes the lone surrogate U+DC00 + b, which the program's
// side turns back into that byte. A Location in GBK or any other bytes thus
// reaches the caller as it was sent.

#include <string_view>

#include "platform/text.h"

namespace kestrane {

std::u16string DecodeKeepingBytes(std::string_view bytes);

// UTF-16 to the ANSI code page; a lone surrogate U+DC80..U+DCFF becomes its byte.
Text EncodeKeepingBytes(std::u16string_view utf16);

}  // namespace kestrane
