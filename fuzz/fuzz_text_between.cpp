// TextBetween with arbitrary haystack, markers and optional arguments.
#include <cstddef>
#include <cstdint>
#include <string>

#include "http/text_between.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    if (size < 4) return 0;
    const int searchFrom = static_cast<std::int8_t>(data[0]);
    const int maxLength = static_cast<std::int8_t>(data[1]);
    const bool reject = data[2] & 1;
    const std::string rest(reinterpret_cast<const char*>(data + 3), size - 3);
    // Markers are the first two pieces separated by "|"; the rest is the haystack.
    const auto a = rest.find('|');
    const auto b = a == std::string::npos ? std::string::npos : rest.find('|', a + 1);
    if (b == std::string::npos) return 0;
    const Text start(rest.substr(0, a)), end(rest.substr(a + 1, b - a - 1)), hay(rest.substr(b + 1));
    int length = 0, at = 0;
    const Text value = TextBetween(hay, start, end, searchFrom, &length, maxLength, &at, reject);
    if (value.Length() > hay.Length()) __builtin_trap();
    (void)TextBetween(hay, start, end);
    return 0;
}
