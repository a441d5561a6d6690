#include "pattern/word_run_plan.h"

namespace kestrane {

namespace {

// "[\w\.]" in the classic locale, the one Boost.Regex's traits use here.
bool IsWordOrDot(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

bool IsPlainLiteral(char c) {
    return std::string_view(".*?+[]{}|^$()\\").find(c) == std::string_view::npos;
}

}  // namespace

std::optional<WordRunPlan> PlanWordRun(std::string_view pattern) {
    constexpr std::string_view kRun = R"([\w\.]+[^)";
    if (!pattern.starts_with('(')) return std::nullopt;
    const std::size_t close = pattern.find(')');
    if (close == std::string_view::npos || close < 2) return std::nullopt;
    WordRunPlan plan;
    plan.literal = std::string(pattern.substr(1, close - 1));
    bool hasBreak = false;  // a byte no run holds: runs after two literals never overlap
    for (const char c : plan.literal) {
        if (!IsPlainLiteral(c)) return std::nullopt;
        hasBreak = hasBreak || !IsWordOrDot(static_cast<unsigned char>(c));
    }
    std::string_view rest = pattern.substr(close + 1);
    if (!hasBreak || !rest.starts_with(kRun)) return std::nullopt;
    rest.remove_prefix(kRun.size());
    if (rest.size() != 2 || rest[1] != ']' || !IsPlainLiteral(rest[0]) || rest[0] == '-') return std::nullopt;
    plan.notByte = static_cast<unsigned char>(rest[0]);
    // The run's last byte must be able to stand for "[^x]" when the run gives it back.
    if (IsWordOrDot(plan.notByte)) return std::nullopt;
    return plan;
}

bool FindWordRunMatch(const WordRunPlan& plan, std::string_view text, std::size_t from, PatternMatch& match) {
    while (from <= text.size()) {
        const std::size_t at = text.find(plan.literal, from);
        if (at == std::string_view::npos) return false;
        const std::size_t runStart = at + plan.literal.size();
        std::size_t runEnd = runStart;
        while (runEnd < text.size() && IsWordOrDot(static_cast<unsigned char>(text[runEnd]))) ++runEnd;
        std::size_t end = 0;
        if (runEnd > runStart && runEnd < text.size() && static_cast<unsigned char>(text[runEnd]) != plan.notByte) {
            end = runEnd + 1;  // the whole run and the byte after it
        } else if (runEnd - runStart >= 2) {
            end = runEnd;  // the run gives its last byte to "[^x]"
        } else {
            from = at + 1;
            continue;
        }
        match.begin = at;
        match.groups.assign(2, std::string_view());
        match.groups[0] = text.substr(at, end - at);
        match.groups[1] = text.substr(at, plan.literal.size());
        return true;
    }
    return false;
}

}  // namespace kestrane
