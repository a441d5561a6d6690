#pragma once

// The one place where the page stages run regular expressions over bytes.
//
// Rules every pattern of the parse relies on: Perl syntax, no options
// (case-sensitive), "." matches every byte including CR and LF, and a text is
// searched for successive leftmost matches, each search starting where the
// previous match ended. The text is searched as it is, with no code-page
// conversion.

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrane {

// One match: group 0 is the whole match; a group that took no part is empty.
struct PatternMatch {
    std::vector<std::string_view> groups;
    std::size_t begin = 0;  // 0-based offset of the match in the subject
    std::string_view Group(std::size_t n) const { return n < groups.size() ? groups[n] : std::string_view(); }
};

class BytePattern {
public:
    enum class Engine {
        kFastest,     // a linear matcher (lazy span, or word run) where the pattern allows it, else Boost.Regex
        kBoostRegex,  // always Boost.Regex (tests compare the two)
    };

    // Compiles `pattern`. A pattern the engine rejects matches nothing.
    explicit BytePattern(std::string_view pattern, Engine engine = Engine::kFastest);
    ~BytePattern();
    BytePattern(BytePattern&&) noexcept;
    BytePattern& operator=(BytePattern&&) noexcept;

    bool IsValid() const;
    // True when the linear lazy-span matcher runs this pattern.
    bool IsLinear() const;

    // Calls `visit` for every successive match in `subject`, in order. When the
    // engine gives up on a search (it exceeds its complexity or memory bounds),
    // the walk ends there as if no further match existed: the matches already
    // visited stand.
    void ForEachMatch(std::string_view subject, const std::function<void(const PatternMatch&)>& visit) const;

private:
    struct Compiled;
    std::unique_ptr<Compiled> m_compiled;
};

}  // namespace kestrane
