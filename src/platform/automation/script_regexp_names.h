#pragma once

// The member names of the script regular-expression component (ProgID
// VBScript.RegExp) and of the objects it hands out, shared by the component
// and its callers: a misspelt member fails to build.

#include <string_view>

namespace kestrane {

namespace regexp_member {
inline constexpr std::string_view kIgnoreCase = "IgnoreCase";
inline constexpr std::string_view kMultiline = "Multiline";
inline constexpr std::string_view kGlobal = "Global";
inline constexpr std::string_view kPattern = "Pattern";
inline constexpr std::string_view kExecute = "Execute";
inline constexpr std::string_view kTest = "Test";
inline constexpr std::string_view kReplace = "Replace";
}  // namespace regexp_member

// A match collection, and a sub-match collection.
namespace collection_member {
inline constexpr std::string_view kCount = "Count";
inline constexpr std::string_view kItem = "Item";
}  // namespace collection_member

namespace match_member {
inline constexpr std::string_view kValue = "Value";
inline constexpr std::string_view kFirstIndex = "FirstIndex";
inline constexpr std::string_view kLength = "Length";
inline constexpr std::string_view kSubMatches = "SubMatches";
}  // namespace match_member

}  // namespace kestrane
