#include "pattern/byte_pattern.h"

#include <boost/regex.hpp>

#include "pattern/lazy_span_plan.h"
#include "pattern/word_run_plan.h"

#include <new>
#include <stdexcept>
#include <string>

namespace kestrane {

struct BytePattern::Compiled {
    std::optional<LazySpanPlan> plan;
    std::optional<WordRunPlan> wordRun;
    boost::regex regex;  // compiled only when there is no plan
};

BytePattern::BytePattern(std::string_view pattern, Engine engine) {
    if (engine == Engine::kFastest) {
        // Every pattern the planner accepts is valid Perl syntax: no need to compile it twice.
        if (auto plan = PlanLazySpan(pattern)) {
            m_compiled = std::make_unique<Compiled>(Compiled{std::move(plan), std::nullopt, boost::regex()});
            return;
        }
        if (auto wordRun = PlanWordRun(pattern)) {
            m_compiled = std::make_unique<Compiled>(Compiled{std::nullopt, std::move(wordRun), boost::regex()});
            return;
        }
    }
    try {
        m_compiled = std::make_unique<Compiled>(
            Compiled{std::nullopt, std::nullopt, boost::regex(pattern.begin(), pattern.end(), boost::regex::perl | boost::regex::mod_s)});
    } catch (const std::exception&) {
        m_compiled.reset();
    }
}

BytePattern::~BytePattern() = default;
BytePattern::BytePattern(BytePattern&&) noexcept = default;
BytePattern& BytePattern::operator=(BytePattern&&) noexcept = default;

bool BytePattern::IsValid() const { return m_compiled != nullptr; }

bool BytePattern::IsLinear() const { return m_compiled && m_compiled->plan; }

void BytePattern::ForEachMatch(std::string_view subject,
                               const std::function<void(const PatternMatch&)>& visit) const {
    if (!m_compiled) return;
    if (m_compiled->plan) {
        PatternMatch match;
        for (std::size_t from = 0; from <= subject.size();) {
            if (!FindLazySpanMatch(*m_compiled->plan, subject, from, match)) return;
            visit(match);
            from = match.begin + match.groups[0].size();  // never empty: the head has a byte
        }
        return;
    }
    if (m_compiled->wordRun) {
        PatternMatch match;
        for (std::size_t from = 0; from <= subject.size();) {
            if (!FindWordRunMatch(*m_compiled->wordRun, subject, from, match)) return;
            visit(match);
            from = match.begin + match.groups[0].size();  // never empty: the literal has a byte
        }
        return;
    }
    const char* const first = subject.data();
    const char* const last = first + subject.size();
    const char* from = first;
    PatternMatch match;
    boost::cmatch found;
    for (;;) {
        auto flags = boost::match_default;
        if (from != first) flags |= boost::match_prev_avail;
        try {
            if (!boost::regex_search(from, last, found, m_compiled->regex, flags)) return;
        } catch (const std::runtime_error&) {
            return;  // complexity or stack bound reached: no further match
        } catch (const std::bad_alloc&) {
            return;
        }
        match.groups.assign(found.size(), std::string_view());
        for (std::size_t g = 0; g < found.size(); ++g) {
            if (found[g].matched) {
                match.groups[g] = std::string_view(found[g].first, static_cast<std::size_t>(found[g].length()));
            }
        }
        match.begin = static_cast<std::size_t>(found[0].first - first);
        visit(match);
        // An empty match would find itself again: step over one byte, or stop at the end.
        if (found[0].second != found[0].first) {
            from = found[0].second;
        } else if (found[0].second != last) {
            from = found[0].second + 1;
        } else {
            return;
        }
    }
}

}  // namespace kestrane
