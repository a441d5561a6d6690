// The script regular-expression component on arbitrary patterns and subjects.
#include <cstddef>
#include <cstdint>
#include <string>

#include "pattern/script_regex.h"
#include "platform/automation/component_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    static const bool ready = (InitializeComponentLibrary(), true);
    (void)ready;
    if (size < 1) return 0;
    const std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto cut = in.find('\n');
    const Text pattern(in.substr(0, cut));
    const Text subject(cut == std::string::npos ? std::string() : in.substr(cut + 1));
    ScriptRegex regex;
    regex.Create(pattern, (data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0);
    const int n = regex.Execute(subject);
    for (int i = 0; i <= n + 1 && i < 8; ++i) {
        (void)regex.MatchText(i);
        (void)regex.SubmatchText(i, 1);
    }
    (void)regex.SubmatchCount();
    (void)regex.Replace(subject, Text("[$1|$&|$`|$'|$$]"));
    return 0;
}
