#pragma once

// ScriptRegex: one instance of the script regular-expression component with
// the match collection of its last search. Indexes count from 1 here; the
// component's count from 0. No operation fails loudly: a failed component
// call hands an empty text or 0 on.

#include <cstdint>
#include <optional>

#include "platform/automation/variant.h"
#include "platform/text.h"

namespace kestrane {

// A value type: a copy shares the component instance and the match
// collection, and keeps the same count. Both are released when the last copy
// goes.
class ScriptRegex {
public:
    // (Re)creates the instance and sets its flags (an omitted flag is true)
    // and pattern. False only when no instance could be created; a pattern the
    // component rejects shows up as 0 matches.
    bool Create(const Text& pattern, std::optional<bool> ignoreCase = std::nullopt,
                std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt);
    Text GetPattern();
    Text Replace(const Text& source, const Text& replacement);
    // Searches `source`; returns the number of matches and keeps the collection.
    std::int32_t Execute(const Text& source);
    std::int32_t MatchCount() const { return m_matchCount; }
    Text MatchText(std::int32_t matchIndex);
    // Empty for a group that took no part in the match.
    Text SubmatchText(std::int32_t matchIndex, std::int32_t submatchIndex);
    // The number of capture groups, 0 when there is no match.
    std::int32_t SubmatchCount();

private:
    ObjectRef m_regexObject;
    ObjectRef m_matchCollection;
    std::int32_t m_matchCount = 0;
};

}  // namespace kestrane
