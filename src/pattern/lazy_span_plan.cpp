#include "pattern/lazy_span_plan.h"

#include <string.h>

#include <cctype>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrane {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSpecial(char c) {
    return c == '.' || c == '*' || c == '?' || c == '+' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '|' || c == '^' || c == '$' || c == '(' || c == ')' || c == '\\';
}

class Parser {
public:
    explicit Parser(std::string_view p) : m_p(p) {}

    std::optional<LazySpanPlan> Parse() {
        LazySpanPlan plan;
        bool seenLazy = false;
        while (m_i < m_p.size()) {
            if (m_p.substr(m_i).starts_with("(.*?)")) {
                if (seenLazy) return std::nullopt;
                seenLazy = true;
                m_i += 5;
                if (m_i < m_p.size() && m_p[m_i] == '+') {
                    plan.lazyRepeated = true;
                    ++m_i;
                }
                plan.groups.push_back({LazySpanPlan::Group::Where::kLazy, 0, 0});
                continue;
            }
            auto& seq = seenLazy ? plan.tail : plan.head;
            const auto where = seenLazy ? LazySpanPlan::Group::Where::kTail : LazySpanPlan::Group::Where::kHead;
            if (m_p[m_i] == '(') {
                ++m_i;
                const std::size_t first = seq.size();
                while (m_i < m_p.size() && m_p[m_i] != ')') {
                    if (!ParseElement(seq)) return std::nullopt;
                }
                if (m_i >= m_p.size() || seq.size() == first) return std::nullopt;
                ++m_i;  // ")"
                plan.groups.push_back({where, first, seq.size()});
                continue;
            }
            if (!ParseElement(seq)) return std::nullopt;
        }
        if (!seenLazy || !Finish(plan)) return std::nullopt;
        return plan;
    }

private:
    bool ParseElement(std::vector<LazySpanPlan::Element>& seq) {
        unsigned char byte = 0;
        const char c = m_p[m_i];
        if (c == '\\') {
            if (m_i + 1 >= m_p.size()) return false;
            const char e = m_p[m_i + 1];
            if (e == 'x') {
                if (m_i + 3 >= m_p.size()) return false;
                const int hi = HexDigit(m_p[m_i + 2]), lo = HexDigit(m_p[m_i + 3]);
                if (hi < 0 || lo < 0) return false;
                byte = static_cast<unsigned char>(hi * 16 + lo);
                m_i += 4;
            } else if (std::isalnum(static_cast<unsigned char>(e))) {
                return false;  // a class or an anchor: not a literal
            } else {
                byte = static_cast<unsigned char>(e);
                m_i += 2;
            }
        } else if (IsSpecial(c)) {
            return false;
        } else {
            byte = static_cast<unsigned char>(c);
            m_i += 1;
        }
        bool run = false;
        if (m_i < m_p.size() && m_p[m_i] == '+') {
            run = true;
            ++m_i;
        }
        if (m_i < m_p.size() && (m_p[m_i] == '*' || m_p[m_i] == '?' || m_p[m_i] == '{' || m_p[m_i] == '+')) return false;
        seq.push_back({run, byte});
        return true;
    }

    // Checks that every run is followed by a different literal (so greedy
    // matching never needs to back up), and derives the search needles.
    static bool Finish(LazySpanPlan& plan) {
        if (plan.head.empty() || plan.head.front().run || plan.tail.empty()) return false;
        for (std::size_t i = 0; i < plan.head.size(); ++i) {
            if (!plan.head[i].run) continue;
            if (i + 1 >= plan.head.size() || plan.head[i + 1].run || plan.head[i + 1].byte == plan.head[i].byte) {
                return false;
            }
        }
        for (const auto& e : plan.head) {
            if (e.run) break;
            plan.headPrefix.push_back(static_cast<char>(e.byte));
        }
        plan.tailStartsWithRun = plan.tail.front().run;
        for (std::size_t i = 0; i < plan.tail.size(); ++i) {
            if (plan.tail[i].run && i != 0) return false;
            plan.tailNeedle.push_back(static_cast<char>(plan.tail[i].byte));
        }
        if (plan.tailStartsWithRun && (plan.tail.size() < 2 || plan.tail[1].byte == plan.tail[0].byte)) return false;
        return true;
    }

    std::string_view m_p;
    std::size_t m_i = 0;
};

// True when the bytes at `at` between the needle's first and last byte are
// the needle's. The needles are a few bytes long: a loop beats a call.
bool MiddleMatches(const char* at, std::string_view needle) {
    for (std::size_t k = 1; k + 1 < needle.size(); ++k) {
        if (at[k] != needle[k]) return false;
    }
    return true;
}

// The first `needle` in `text` at or after `from`. A candidate is a place
// where both the needle's first and its last byte sit; sixteen places are
// tested at once. (string_view::find costs a call per place that has the
// first byte, which a page made of that byte turns into a call per byte;
// memmem steps bytewise through such a page for a two-byte needle.)
std::size_t Find(std::string_view text, std::string_view needle, std::size_t from) {
    const std::size_t n = needle.size();
    if (from > text.size() || n > text.size() - from) return std::string_view::npos;
    if (n == 0) return from;
    const char* const data = text.data();
    if (n == 1) {
        const void* hit = memchr(data + from, needle[0], text.size() - from);
        return hit == nullptr ? std::string_view::npos : static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    }
    const char first = needle[0], last = needle[n - 1];
    const std::size_t lastStart = text.size() - n;  // the last place a match can start
    std::size_t i = from;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(first), lasts = _mm_set1_epi8(last);
    for (; i + 15 <= lastStart; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + n - 1));
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, firsts), _mm_cmpeq_epi8(b, lasts))));
        while (mask != 0) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            if (MiddleMatches(data + at, needle)) return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (data[i] == first && data[i + n - 1] == last && MiddleMatches(data + i, needle)) return i;
    }
    return std::string_view::npos;
}

// Matches the head at `at`; fills the start of every element and the end.
bool MatchHead(const LazySpanPlan& plan, std::string_view text, std::size_t at, std::vector<std::size_t>& starts) {
    starts.clear();
    std::size_t i = at;
    for (const auto& e : plan.head) {
        starts.push_back(i);
        if (i >= text.size() || static_cast<unsigned char>(text[i]) != e.byte) return false;
        ++i;
        if (e.run) {
            const std::size_t end = text.find_first_not_of(static_cast<char>(e.byte), i);
            i = end == std::string_view::npos ? text.size() : end;
        }
    }
    starts.push_back(i);
    return true;
}

}  // namespace

std::optional<LazySpanPlan> PlanLazySpan(std::string_view pattern) { return Parser(pattern).Parse(); }

bool FindLazySpanMatch(const LazySpanPlan& plan, std::string_view text, std::size_t from, PatternMatch& match) {
    // Kept between calls: a page with many matches should not pay two allocations for each.
    thread_local std::vector<std::size_t> headStarts, tailStarts;
    while (true) {
        const std::size_t at = Find(text, plan.headPrefix, from);
        if (at == std::string_view::npos) return false;
        if (!MatchHead(plan, text, at, headStarts)) {
            from = at + 1;
            continue;
        }
        const std::size_t spanStart = headStarts.back();
        const std::size_t needle = Find(text, plan.tailNeedle, spanStart);
        // No tail after this head means none after any later head either.
        if (needle == std::string_view::npos) return false;
        std::size_t tailStart = needle;
        if (plan.tailStartsWithRun) {
            const char runByte = static_cast<char>(plan.tail.front().byte);
            while (tailStart > spanStart && text[tailStart - 1] == runByte) --tailStart;
        }
        const std::size_t end = needle + plan.tailNeedle.size();
        // The tail's element starts: the run (if any) covers [tailStart, needle].
        tailStarts.clear();
        tailStarts.push_back(tailStart);
        std::size_t pos = plan.tailStartsWithRun ? needle + 1 : tailStart + 1;
        for (std::size_t k = 1; k < plan.tail.size(); ++k) tailStarts.push_back(pos++);
        tailStarts.push_back(end);

        match.begin = at;
        match.groups.assign(plan.groups.size() + 1, std::string_view());
        match.groups[0] = text.substr(at, end - at);
        for (std::size_t g = 0; g < plan.groups.size(); ++g) {
            const auto& group = plan.groups[g];
            std::size_t b = 0, e = 0;
            switch (group.where) {
                case LazySpanPlan::Group::Where::kHead:
                    b = headStarts[group.first], e = headStarts[group.last];
                    break;
                case LazySpanPlan::Group::Where::kLazy:
                    b = plan.lazyRepeated ? tailStart : spanStart, e = tailStart;
                    break;
                case LazySpanPlan::Group::Where::kTail:
                    b = tailStarts[group.first], e = tailStarts[group.last];
                    break;
            }
            match.groups[g + 1] = text.substr(b, e - b);
        }
        return true;
    }
}

}  // namespace kestrane
