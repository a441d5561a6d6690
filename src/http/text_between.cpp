#include "http/text_between.h"

#include <algorithm>

namespace kestrane {

Text TextBetween(const Text& haystack, const Text& startMarker, const Text& endMarker, std::optional<int> searchFrom,
                 int* foundLength, std::optional<int> maxLength, int* valueStart, std::optional<bool> rejectLonger) {
    const int at = haystack.Find(startMarker, std::max(1, searchFrom.value_or(1)));
    if (at == -1) return {};
    const int p = at + startMarker.Length();
    if (valueStart) *valueStart = p;
    const int end = haystack.Find(endMarker, p);
    if (end == -1) return {};
    const int n = end - p;
    if (foundLength) *foundLength = n;
    if (rejectLonger.value_or(false) && n > maxLength.value_or(0)) return {};
    Text value = haystack.Mid(p, n);
    if (maxLength) value = value.Left(*maxLength);
    return value;
}

}  // namespace kestrane
