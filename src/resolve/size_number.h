#pragma once

#include "platform/text.h"

namespace kestrane {

// The size text of a page as a number held in single precision: full-width
// digits, signs, point and space are first turned into ASCII; then leading
// white space is skipped and the longest decimal prefix (sign, digits,
// fraction, exponent) is read as a 32-bit float, rounded to nearest.
// No such prefix gives 0. Huge values give infinity, as C's strtof does.
float ParseSingleNumber(const Text& text);

}  // namespace kestrane
