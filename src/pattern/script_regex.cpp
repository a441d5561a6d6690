#include "pattern/script_regex.h"

#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"

namespace kestrane {

namespace {
constexpr CallKind kGet = CallKind::kGet;
constexpr CallKind kPut = CallKind::kPut;
constexpr CallKind kMethod = CallKind::kMethod;
}  // namespace

ScriptRegex::~ScriptRegex() {
    m_regexObject.Release();
    m_matchCollection.Release();
}

std::unique_ptr<ScriptRegex> ScriptRegex::Copy() const { return std::make_unique<ScriptRegex>(*this); }

bool ScriptRegex::Create(const Text& pattern, std::optional<bool> ignoreCase, std::optional<bool> multiline,
                         std::optional<bool> global) {
    m_matchCollection.Release();
    m_regexObject.Release();
    m_regexObject = CreateComponent(kScriptRegExpProgId);
    if (!m_regexObject) return false;
    m_matchCount = 0;
    CallMember(m_regexObject, "IgnoreCase", kPut, {Variant(ignoreCase.value_or(true))});
    CallMember(m_regexObject, "Multiline", kPut, {Variant(multiline.value_or(true))});
    CallMember(m_regexObject, "Global", kPut, {Variant(global.value_or(true))});
    CallMember(m_regexObject, "Pattern", kPut, {TextArg(pattern)});
    return true;
}

Text ScriptRegex::GetPattern() {
    if (!m_regexObject) return {};
    return CallForText(m_regexObject, "Pattern", kGet);
}

Text ScriptRegex::Replace(const Text& source, const Text& replacement) {
    return CallForText(m_regexObject, "Replace", kMethod, {TextArg(source), TextArg(replacement)});
}

std::int32_t ScriptRegex::Execute(const Text& source) {
    ObjectRef collection = CallForObject(m_regexObject, "Execute", kMethod, {TextArg(source)});
    m_matchCollection.Release();
    m_matchCollection = collection;
    m_matchCount = CallForInt(m_matchCollection, "Count", kGet);
    return m_matchCount;
}

std::int32_t ScriptRegex::MatchCount() const { return m_matchCount; }

Text ScriptRegex::MatchText(std::int32_t matchIndex) {
    ObjectRef match = CallForObject(m_matchCollection, "Item", kGet, {Variant(matchIndex - 1)});
    return CallForText(match, "Value", kGet);
}

Text ScriptRegex::SubmatchText(std::int32_t matchIndex, std::int32_t submatchIndex) {
    ObjectRef match = CallForObject(m_matchCollection, "Item", kGet, {Variant(matchIndex - 1)});
    ObjectRef subMatches = CallForObject(match, "SubMatches", kGet);
    return CallForText(subMatches, "Item", kGet, {Variant(submatchIndex - 1)});
}

std::int32_t ScriptRegex::SubmatchCount() {
    if (m_matchCount == 0) return 0;
    ObjectRef match = CallForObject(m_matchCollection, "Item", kGet, {Variant(std::int32_t{0})});
    ObjectRef subMatches = CallForObject(match, "SubMatches", kGet);
    return CallForInt(subMatches, "Count", kGet);
}

}  // namespace kestrane
