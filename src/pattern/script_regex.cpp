#include "pattern/script_regex.h"

#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/script_regexp_names.h"

namespace kestrane {

namespace {
constexpr CallKind kGet = CallKind::kGet;
constexpr CallKind kPut = CallKind::kPut;
constexpr CallKind kMethod = CallKind::kMethod;
}  // namespace

bool ScriptRegex::Create(const Text& pattern, std::optional<bool> ignoreCase, std::optional<bool> multiline,
                         std::optional<bool> global) {
    m_matchCollection.Release();
    m_regexObject = CreateComponent(kScriptRegExpProgId);
    if (!m_regexObject) return false;
    m_matchCount = 0;
    CallMember(m_regexObject, regexp_member::kIgnoreCase, kPut, {Variant(ignoreCase.value_or(true))});
    CallMember(m_regexObject, regexp_member::kMultiline, kPut, {Variant(multiline.value_or(true))});
    CallMember(m_regexObject, regexp_member::kGlobal, kPut, {Variant(global.value_or(true))});
    CallMember(m_regexObject, regexp_member::kPattern, kPut, {TextArg(pattern)});
    return true;
}

Text ScriptRegex::GetPattern() {
    if (!m_regexObject) return {};
    return CallForText(m_regexObject, regexp_member::kPattern, kGet);
}

Text ScriptRegex::Replace(const Text& source, const Text& replacement) {
    return CallForText(m_regexObject, regexp_member::kReplace, kMethod, {TextArg(source), TextArg(replacement)});
}

std::int32_t ScriptRegex::Execute(const Text& source) {
    m_matchCollection = CallForObject(m_regexObject, regexp_member::kExecute, kMethod, {TextArg(source)});
    m_matchCount = CallForInt(m_matchCollection, collection_member::kCount, kGet);
    return m_matchCount;
}

Text ScriptRegex::MatchText(std::int32_t matchIndex) {
    ObjectRef match = CallForObject(m_matchCollection, collection_member::kItem, kGet, {Variant(matchIndex - 1)});
    return CallForText(match, match_member::kValue, kGet);
}

Text ScriptRegex::SubmatchText(std::int32_t matchIndex, std::int32_t submatchIndex) {
    ObjectRef match = CallForObject(m_matchCollection, collection_member::kItem, kGet, {Variant(matchIndex - 1)});
    ObjectRef subMatches = CallForObject(match, match_member::kSubMatches, kGet);
    return CallForText(subMatches, collection_member::kItem, kGet, {Variant(submatchIndex - 1)});
}

std::int32_t ScriptRegex::SubmatchCount() {
    if (m_matchCount == 0) return 0;
    ObjectRef match = CallForObject(m_matchCollection, collection_member::kItem, kGet, {Variant(std::int32_t{0})});
    ObjectRef subMatches = CallForObject(match, match_member::kSubMatches, kGet);
    return CallForInt(subMatches, collection_member::kCount, kGet);
}

}  // namespace kestrane
