#pragma once

// Text bound for a terminal, made unable to drive it.

#include <string>
#include <string_view>

namespace kestrane {

// `text` with every control character written as an escape, so that it shows
// as what it holds and stays on one line: "\n", "\r", "\t", other C0 controls
// and DEL as "\x1b"-style, C1 controls (U+0080..U+009F) and the bidirectional
// embeddings, overrides and isolates (U+202A..U+202E, U+2066..U+2069) as
// "\u009b"-style, and bytes that are not UTF-8 as "\xff"-style. Everything
// else is kept.
std::string TerminalSafe(std::string_view text);

}  // namespace kestrane
