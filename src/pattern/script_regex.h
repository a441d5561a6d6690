#pragma once

// ScriptRegex: one instance of the script regular-expression component with
// the match collection of its last search. Indexes count from 1 here; the
// component's count from 0. No operation fails loudly: a failed component
// call hands an empty text or 0 on.

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/automation/variant.h"
#include "platform/text.h"

namespace kestrane {

class ScriptRegex {
public:
    ScriptRegex() = default;
    // A copy shares the component instance and the match collection.
    ScriptRegex(const ScriptRegex& other) = default;
    ScriptRegex& operator=(const ScriptRegex&) = delete;
    virtual ~ScriptRegex();

    virtual std::unique_ptr<ScriptRegex> Copy() const;
    // (Re)creates the instance and sets its flags (an omitted flag is true)
    // and pattern. False only when no instance could be created; a pattern the
    // component rejects shows up as 0 matches.
    virtual bool Create(const Text& pattern, std::optional<bool> ignoreCase = std::nullopt,
                        std::optional<bool> multiline = std::nullopt, std::optional<bool> global = std::nullopt);
    virtual Text GetPattern();
    virtual Text Replace(const Text& source, const Text& replacement);
    // Searches `source`; returns the number of matches and keeps the collection.
    virtual std::int32_t Execute(const Text& source);
    virtual std::int32_t MatchCount() const;
    virtual Text MatchText(std::int32_t matchIndex);
    // Empty for a group that took no part in the match.
    virtual Text SubmatchText(std::int32_t matchIndex, std::int32_t submatchIndex);
    // The number of capture groups, 0 when there is no match.
    virtual std::int32_t SubmatchCount();

private:
    ObjectRef m_regexObject;
    ObjectRef m_matchCollection;
    std::int32_t m_matchCount = 0;
};

}  // namespace kestrane
