#pragma once

// A linear matcher for the shape of the pattern that splits a probe address
// into host and path, "(http://)[\w\.]+[^/]": a literal in a group, a greedy
// run of word characters and dots, and one byte other than a given one. It
// gives the matches Boost.Regex gives (the run gives back its last byte when
// nothing else can follow it) without compiling a regular expression, which
// costs a program that runs one parse more than the match itself.

#include <optional>
#include <string>
#include <string_view>

#include "pattern/byte_pattern.h"

namespace kestrane {

struct WordRunPlan {
    std::string literal;      // group 1
    unsigned char notByte{};  // the last byte is anything but this one
};

// The plan for `pattern`, or nothing when the pattern is not of that shape.
std::optional<WordRunPlan> PlanWordRun(std::string_view pattern);

// The leftmost match at or after `from`, or false when there is none.
bool FindWordRunMatch(const WordRunPlan& plan, std::string_view text, std::size_t from, PatternMatch& match);

}  // namespace kestrane
