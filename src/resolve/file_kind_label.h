#pragma once

#include "platform/text.h"

namespace kestrane {

// The kind label of a file extension: for a known extension, its description,
// three spaces and the extension in parentheses ("文本文档   (txt)"); any other
// text unchanged. The comparison is whole, exact and case-sensitive.
Text FileKindLabel(const Text& extension);

}  // namespace kestrane
