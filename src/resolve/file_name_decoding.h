#pragma once

// The share page carries the file name percent-encoded over UTF-8 bytes;
// these turn it into ANSI (GBK) text.

#include "platform/text.h"

namespace kestrane {

// Undoes the percent escapes of `name` in one pass and converts the UTF-8
// bytes behind them. An escape that yields 0 adds nothing; a "%" that is not
// followed by two hexadecimal digits stays as it stands, with what follows it.
// "+" stays "+". Never fails: invalid UTF-8 and characters GBK lacks come out
// as "?".
Text DecodeUrlText(const Text& name);

// UTF-8 bytes to ANSI text; each invalid sequence becomes U+FFFD first.
Text Utf8BytesToText(const Bytes& utf8);

// Little-endian UTF-16 units to ANSI text, up to the first unit of value 0.
Text Utf16BytesToText(const Bytes& utf16);

}  // namespace kestrane
