#pragma once

// A linear-time matcher for the patterns the page stages use. They all have
// one shape: a head of literal bytes and byte runs ("size\\+\x22:"), one lazy
// span of any bytes ("(.*?)" or "(.*?)+"), and a tail that is a literal
// (";if") or a byte run followed by a literal ("\\+\x22"). For that shape the
// leftmost match, and the shortest span for it, can be found with a few
// substring searches, where a backtracking engine would take quadratic time
// on long runs of backslashes and give up.
//
// PlanLazySpan recognises the shape; BytePattern uses the plan when there is
// one and Boost.Regex otherwise. Both give the same matches and groups.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/byte_pattern.h"

namespace kestrane {

struct LazySpanPlan {
    struct Element {
        bool run = false;  // one or more of `byte` (greedy) instead of exactly one
        unsigned char byte = 0;
    };
    // A capture group: the elements [first, last) of the head or the tail,
    // or the lazy span itself.
    struct Group {
        enum class Where { kHead, kLazy, kTail } where;
        std::size_t first = 0, last = 0;
    };

    std::vector<Element> head;
    std::vector<Element> tail;
    std::vector<Group> groups;         // in the order of their opening parentheses
    std::string headPrefix;            // the literal bytes the head begins with
    std::string tailNeedle;            // the tail as a literal, or the run byte and the literal after it
    bool tailStartsWithRun = false;
    bool lazyRepeated = false;         // "(.*?)+": its group ends empty, as a backtracking engine leaves it
};

// The plan for `pattern`, or nothing when the pattern is not of that shape.
std::optional<LazySpanPlan> PlanLazySpan(std::string_view pattern);

// The leftmost match at or after `from`, or false when there is none.
bool FindLazySpanMatch(const LazySpanPlan& plan, std::string_view text, std::size_t from, PatternMatch& match);

}  // namespace kestrane
