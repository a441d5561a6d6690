#pragma once

#include <optional>

#include "platform/text.h"

namespace kestrane {

// The text between the first `startMarker` (searched from `searchFrom`, a
// value below 1 counting as 1) and the first `endMarker` after it; empty when
// either is missing. Writes the value's position to `valueStart` once the
// start marker is found, and its length to `foundLength` once the end marker
// is found. With `maxLength`, at most that many bytes are kept; with
// `rejectLonger` as well, a longer value gives the empty text.
Text TextBetween(const Text& haystack, const Text& startMarker, const Text& endMarker,
                 std::optional<int> searchFrom = std::nullopt, int* foundLength = nullptr,
                 std::optional<int> maxLength = std::nullopt, int* valueStart = nullptr,
                 std::optional<bool> rejectLonger = std::nullopt);

}  // namespace kestrane
