#include "platform/automation/script_regexp_component.h"

#include <boost/regex.hpp>

#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/automation/script_regexp_names.h"

namespace kestrane {

namespace {

// UTF-16 units one to one as wide characters, so that positions agree.
std::wstring Widen(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string Narrow16(std::wstring_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (const wchar_t c : s) out.push_back(static_cast<char16_t>(c));
    return out;
}

// "." of the script syntax stops at line feeds only; Boost's would take them
// (or, with its own option, stop at CR too). Spell it out as a class.
std::wstring ScriptDotsToClasses(const std::wstring& pattern) {
    std::wstring out;
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const wchar_t c = pattern[i];
        if (c == L'\\' && i + 1 < pattern.size()) {
            out += c;
            out += pattern[++i];
        } else if (inClass) {
            out += c;
            if (c == L']') inClass = false;
        } else if (c == L'[') {
            inClass = true;
            out += c;
            // A "]" right after "[" or "[^" belongs to the class.
            if (i + 1 < pattern.size() && pattern[i + 1] == L'^') out += pattern[++i];
            if (i + 1 < pattern.size() && pattern[i + 1] == L']') out += pattern[++i];
        } else if (c == L'.') {
            out += L"[^\\n]";
        } else {
            out += c;
        }
    }
    return out;
}

struct FoundMatch {
    std::size_t index = 0;
    std::u16string value;
    std::vector<std::optional<std::u16string>> groups;  // nothing for a group that took no part
};

class SubMatchesObject : public ComponentObject {
public:
    explicit SubMatchesObject(std::vector<std::optional<std::u16string>> groups) : m_groups(std::move(groups)) {
        DeclareGet(std::string(collection_member::kCount), {}, [this](std::vector<Variant>&) { return Variant(static_cast<std::int32_t>(m_groups.size())); });
        DeclareGet(std::string(collection_member::kItem), {{ParamKind::kInt, false}}, [this](std::vector<Variant>& a) {
            const std::int32_t k = a[0].Int();
            if (k < 0 || static_cast<std::size_t>(k) >= m_groups.size()) RaiseComponentError("invalid procedure call or argument");
            const auto& g = m_groups[static_cast<std::size_t>(k)];
            return g ? Variant(*g) : Variant();
        });
    }

private:
    std::vector<std::optional<std::u16string>> m_groups;
};

class MatchObject : public ComponentObject {
public:
    explicit MatchObject(FoundMatch m) : m_match(std::move(m)) {
        DeclareGet(std::string(match_member::kValue), {}, [this](std::vector<Variant>&) { return Variant(m_match.value); });
        DeclareGet(std::string(match_member::kFirstIndex), {}, [this](std::vector<Variant>&) { return Variant(static_cast<std::int32_t>(m_match.index)); });
        DeclareGet(std::string(match_member::kLength), {}, [this](std::vector<Variant>&) { return Variant(static_cast<std::int32_t>(m_match.value.size())); });
        DeclareGet(std::string(match_member::kSubMatches), {}, [this](std::vector<Variant>&) {
            return Variant(ObjectRef(std::make_shared<SubMatchesObject>(m_match.groups)));
        });
    }

private:
    FoundMatch m_match;
};

class MatchCollectionObject : public ComponentObject {
public:
    explicit MatchCollectionObject(std::vector<FoundMatch> matches) : m_matches(std::move(matches)) {
        DeclareGet(std::string(collection_member::kCount), {}, [this](std::vector<Variant>&) { return Variant(static_cast<std::int32_t>(m_matches.size())); });
        DeclareGet(std::string(collection_member::kItem), {{ParamKind::kInt, false}}, [this](std::vector<Variant>& a) {
            const std::int32_t k = a[0].Int();
            if (k < 0 || static_cast<std::size_t>(k) >= m_matches.size()) RaiseComponentError("invalid procedure call or argument");
            return Variant(ObjectRef(std::make_shared<MatchObject>(m_matches[static_cast<std::size_t>(k)])));
        });
    }

private:
    std::vector<FoundMatch> m_matches;
};

class ScriptRegExp : public ComponentObject {
public:
    ScriptRegExp() {
        DeclareFlag(regexp_member::kIgnoreCase, m_ignoreCase);
        DeclareFlag(regexp_member::kMultiline, m_multiline);
        DeclareFlag(regexp_member::kGlobal, m_global);
        DeclareGet(std::string(regexp_member::kPattern), {}, [this](std::vector<Variant>&) { return Variant(m_pattern); });
        DeclarePut(std::string(regexp_member::kPattern), {{ParamKind::kString, false}}, [this](std::vector<Variant>& a) {
            m_pattern = a[0].String();
            m_compiled.reset();
            return Variant();
        });
        DeclareMethod(std::string(regexp_member::kExecute), {{ParamKind::kString, false}}, [this](std::vector<Variant>& a) {
            return Variant(ObjectRef(std::make_shared<MatchCollectionObject>(Search(a[0].String()))));
        });
        DeclareMethod(std::string(regexp_member::kTest), {{ParamKind::kString, false}}, [this](std::vector<Variant>& a) {
            return Variant(!Search(a[0].String(), 1).empty());
        });
        DeclareMethod(std::string(regexp_member::kReplace), {{ParamKind::kString, false}, {ParamKind::kString, false}},
                      [this](std::vector<Variant>& a) { return Variant(Replace(a[0].String(), a[1].String())); });
    }

private:
    void DeclareFlag(std::string_view name, bool& flag) {
        DeclareGet(std::string(name), {}, [&flag](std::vector<Variant>&) { return Variant(flag); });
        DeclarePut(std::string(name), {{ParamKind::kBool, false}}, [this, &flag](std::vector<Variant>& a) {
            flag = a[0].Bool();
            m_compiled.reset();
            return Variant();
        });
    }

    const boost::wregex& Compiled() {
        if (!m_compiled) {
            boost::regex_constants::syntax_option_type options = boost::regex_constants::ECMAScript;
            if (m_ignoreCase) options |= boost::regex_constants::icase;
            if (!m_multiline) options |= boost::regex_constants::no_mod_m;
            try {
                m_compiled = boost::wregex(ScriptDotsToClasses(Widen(m_pattern)), options);
            } catch (const std::exception&) {
                RaiseComponentError("syntax error in regular expression");
            }
        }
        return *m_compiled;
    }

    // The successive matches (one only without Global); a search the engine
    // abandons ends the list there.
    std::vector<FoundMatch> Search(const std::u16string& source, std::size_t limit = SIZE_MAX) {
        const boost::wregex& re = Compiled();
        const std::wstring text = Widen(source);
        std::vector<FoundMatch> found;
        if (!m_global) limit = std::min<std::size_t>(limit, 1);
        auto from = text.cbegin();
        boost::wsmatch m;
        while (found.size() < limit) {
            auto flags = boost::match_default;
            if (from != text.cbegin()) flags |= boost::match_prev_avail;
            bool hit = false;
            try {
                hit = boost::regex_search(from, text.cend(), m, re, flags);
            } catch (const std::runtime_error&) {
                break;
            } catch (const std::bad_alloc&) {
                break;
            }
            if (!hit) break;
            FoundMatch f;
            f.index = static_cast<std::size_t>(m[0].first - text.cbegin());
            f.value = Narrow16(std::wstring(m[0].first, m[0].second));
            for (std::size_t g = 1; g < m.size(); ++g) {
                if (m[g].matched) {
                    f.groups.emplace_back(Narrow16(std::wstring(m[g].first, m[g].second)));
                } else {
                    f.groups.emplace_back(std::nullopt);
                }
            }
            found.push_back(std::move(f));
            // An empty match would find itself again: step over one unit, or stop at the end.
            if (m[0].second != m[0].first) {
                from = m[0].second;
            } else if (m[0].second != text.cend()) {
                from = m[0].second + 1;
            } else {
                break;
            }
        }
        return found;
    }

    std::u16string Replace(const std::u16string& source, const std::u16string& replacement) {
        const std::vector<FoundMatch> matches = Search(source);
        std::u16string out;
        std::size_t at = 0;
        for (const FoundMatch& m : matches) {
            out.append(source, at, m.index - at);
            for (std::size_t i = 0; i < replacement.size(); ++i) {
                const char16_t c = replacement[i];
                const char16_t next = i + 1 < replacement.size() ? replacement[i + 1] : u'\0';
                if (c != u'$' || next == u'\0') {
                    out += c;
                } else if (next == u'$') {
                    out += u'$', ++i;
                } else if (next == u'&') {
                    out += m.value, ++i;
                } else if (next == u'`') {
                    out.append(source, 0, m.index), ++i;
                } else if (next == u'\'') {
                    out.append(source, m.index + m.value.size()), ++i;
                } else if (next >= u'1' && next <= u'9' && static_cast<std::size_t>(next - u'0') <= m.groups.size()) {
                    const auto& g = m.groups[static_cast<std::size_t>(next - u'1')];
                    if (g) out += *g;
                    ++i;
                } else {
                    out += c;
                }
            }
            at = m.index + m.value.size();
        }
        out.append(source, std::min(at, source.size()));
        return out;
    }

    bool m_ignoreCase = false;
    bool m_multiline = false;
    bool m_global = false;
    std::u16string m_pattern;
    std::optional<boost::wregex> m_compiled;
};

}  // namespace

std::shared_ptr<ComponentObject> MakeScriptRegExpComponent() { return std::make_shared<ScriptRegExp>(); }

}  // namespace kestrane
