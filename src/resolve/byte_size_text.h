#pragma once

#include "platform/text.h"

namespace kestrane {

// The short size text of a byte count: the number scaled by 1024 until it is
// below 1024 (with a tolerance of 1e-7), written with 13 significant digits,
// cut (not rounded) to four characters, then the unit "B", "KB", "MB", "GB",
// "TB" or "PB". Negative values are not scaled: -2048 gives "-204B".
//
// "PB" is the last unit. A size of 10000 PB or more, and +infinity, give
// ">9999PB"; -infinity gives "-∞B" and NaN "?B". No size stops the program.
Text FormatByteSize(double size);

// `x` in the general format with 13 significant digits: plain notation for
// decimal exponents from -4 to 12, else one digit, the fraction and a signed
// three-digit exponent ("1e+020"); trailing zeros dropped.
Text FormatGeneral13(double x);

}  // namespace kestrane
