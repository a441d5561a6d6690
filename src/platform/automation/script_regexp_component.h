#pragma once

// The script regular-expression component (ProgID VBScript.RegExp), over
// Boost.Regex on UTF-16 text.
//
// Properties IgnoreCase, Multiline, Global (false at creation) and Pattern;
// methods Execute (a match collection: Count, Item; a match: Value,
// FirstIndex, Length, SubMatches; sub-matches: Count, Item), Replace ($1..$9,
// $&, $`, $', $$ in the replacement) and Test. The syntax is the classic
// script engine's: "." matches any character but a line feed, ^ and $ match
// at line breaks only with Multiline, and only Global finds every match.
// A pattern the engine rejects raises an error when it is used; a search the
// engine abandons ends as "no further match". Indexes count UTF-16 units.

#include <memory>

#include "platform/automation/component_object.h"

namespace kestrane {

std::shared_ptr<ComponentObject> MakeScriptRegExpComponent();

}  // namespace kestrane
