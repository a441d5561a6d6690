#include "pattern/script_regex.h"

#include <gtest/gtest.h>

#include "platform/automation/call_outcome.h"
#include "platform/automation/component_library.h"
#include "platform/automation/dispatch.h"
#include "platform/code_page.h"
#include "support/scoped_creation_failure.h"

namespace kestrane {
namespace {

class ScriptRegexTest : public ::testing::Test {
protected:
    void SetUp() override { InitializeComponentLibrary(); }
};

TEST_F(ScriptRegexTest, FlagsAndPatterns) {
    struct Case {
        const char* what;
        const char* pattern;
        std::optional<bool> ignoreCase, multiline, global;
        std::string subject;
        std::vector<std::string> matches;
    } cases[] = {
        {"omitted flags are true", "a", {}, {}, {}, "A a", {"A", "a"}},
        {"case matters when told", "a", false, {}, {}, "A a", {"a"}},
        {"first match only", "a", {}, {}, false, "a a a", {"a"}},
        {"dot stops at line feed", "x.y", {}, {}, {}, "x\ny x\ry xzy", {"x\ry", "xzy"}},
        {"lazy stays inside the line", "k=(.*?);", {}, {}, {}, "k=1\nk=2;", {"k=2;"}},
        {"anchors at line breaks when multiline", "^b$", {}, true, {}, "a\nb\nc", {"b"}},
        {"anchors only at the ends otherwise", "^b$", {}, false, {}, "a\nb\nc", {}},
        {"end anchor without multiline", "c$", {}, false, {}, "a\nc", {"c"}},
        {"no match", "zz", {}, {}, {}, "abc", {}},
        {"rejected pattern", "(a", {}, {}, {}, "a(a", {}},
        {"classes keep their dots", "[.]", {}, {}, {}, "a.b", {"."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptRegex r;
        ASSERT_TRUE(r.Create(Text(c.pattern), c.ignoreCase, c.multiline, c.global));
        const int n = r.Execute(Text(c.subject));
        ASSERT_EQ(n, static_cast<int>(c.matches.size()));
        EXPECT_EQ(r.MatchCount(), n);
        for (int i = 1; i <= n; ++i) EXPECT_EQ(r.MatchText(i).Str(), c.matches[static_cast<std::size_t>(i - 1)]);
    }
}

TEST_F(ScriptRegexTest, GroupsIndexesAndCopies) {
    ScriptRegex r;
    ASSERT_TRUE(r.Create(Text("(\\w+)=(\\d+)?;")));
    EXPECT_EQ(r.GetPattern(), Text("(\\w+)=(\\d+)?;"));
    ASSERT_EQ(r.Execute(Text("a=1; b=;")), 2);
    EXPECT_EQ(r.SubmatchCount(), 2);
    EXPECT_EQ(r.SubmatchText(1, 1), Text("a"));
    EXPECT_EQ(r.SubmatchText(1, 2), Text("1"));
    EXPECT_EQ(r.SubmatchText(2, 2), Text());  // took no part
    EXPECT_EQ(AnsiToUtf8(CallOutcomeText(LastCallOutcome())), "");
    // Out of range indexes give empty texts.
    EXPECT_EQ(r.MatchText(0), Text());
    EXPECT_EQ(r.MatchText(3), Text());
    // Item raised; the last call, Value, then had no match object to work on.
    EXPECT_EQ(AnsiToUtf8(CallOutcomeText(LastCallOutcome())), "对象为空");
    EXPECT_EQ(r.SubmatchText(1, 3), Text());

    ScriptRegex copy = r;
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.MatchText(2), Text("b=;"));
    EXPECT_EQ(copy.SubmatchText(1, 1), Text("a"));

    EXPECT_EQ(r.Execute(Text("nothing")), 0);
    EXPECT_EQ(r.SubmatchCount(), 0);
    EXPECT_EQ(copy.MatchCount(), 2);  // the copy keeps its own count
    copy = r;
    EXPECT_EQ(copy.MatchCount(), 0);
}

// An empty match steps the search on by one character, and one at the very
// end is the last: the search never steps past the end of the text.
// Every member the regex object calls is one the component (or its match
// objects) declares: each call on a good search succeeds.
TEST_F(ScriptRegexTest, EveryCallFindsItsMember) {
    ScriptRegex r;
    const auto succeeded = [] { return LastCallOutcome() == CallOutcome::kSuccess; };
    ASSERT_TRUE(r.Create(Text("(a)(b)?"), false, false, true));
    EXPECT_TRUE(succeeded()) << "Create";
    EXPECT_EQ(r.GetPattern(), Text("(a)(b)?"));
    EXPECT_TRUE(succeeded()) << "GetPattern";
    EXPECT_EQ(r.Execute(Text("ab a")), 2);
    EXPECT_TRUE(succeeded()) << "Execute";
    EXPECT_EQ(r.MatchText(2), Text("a"));
    EXPECT_TRUE(succeeded()) << "MatchText";
    EXPECT_EQ(r.SubmatchText(1, 2), Text("b"));
    EXPECT_TRUE(succeeded()) << "SubmatchText";
    EXPECT_EQ(r.SubmatchCount(), 2);
    EXPECT_TRUE(succeeded()) << "SubmatchCount";
    EXPECT_EQ(r.Replace(Text("ab a"), Text("[$1]")), Text("[a] [a]"));
    EXPECT_TRUE(succeeded()) << "Replace";
}

TEST_F(ScriptRegexTest, EmptyMatchesStopAtTheEnd) {
    struct Case {
        const char* pattern;
        const char* source;
        std::int32_t count;
        const char* last;
    } cases[] = {{"a*", "", 1, ""}, {"a*", "ba", 3, ""}, {"a*", "baa", 3, ""}, {"$", "xy", 1, ""}, {"y?", "xy", 3, ""}};
    for (const Case& c : cases) {
        ScriptRegex r;
        ASSERT_TRUE(r.Create(Text(c.pattern)));
        EXPECT_EQ(r.Execute(Text(c.source)), c.count) << c.pattern << " in " << c.source;
        EXPECT_EQ(r.MatchText(c.count), Text(c.last)) << c.pattern << " in " << c.source;
    }
}

TEST_F(ScriptRegexTest, GbkTextCrossesAsUnicode) {
    ScriptRegex r;
    r.Create(Text::FromUtf8("名=(.)"));
    ASSERT_EQ(r.Execute(Text::FromUtf8("名=中;")), 1);
    EXPECT_EQ(r.SubmatchText(1, 1), Text::FromUtf8("中"));  // one character, not one byte
}

TEST_F(ScriptRegexTest, ReplaceReferences) {
    struct Case {
        const char* pattern;
        const char* replacement;
        const char* want;
    } cases[] = {
        {"(\\w)(\\d)", "$2$1", "1a 2b"},
        {"\\d", "[$&]", "a[1] b[2]"},
        {"b2", "<$`>", "a1 <a1 >"},
        {"a1", "<$'>", "< b2> b2"},
        {"\\d", "$$", "a$ b$"},
        {"(\\w)", "$9", "$9$9 $9$9"},  // no group 9: "$9" stands as written
    };
    for (const Case& c : cases) {
        ScriptRegex r;
        r.Create(Text(c.pattern));
        EXPECT_EQ(r.Replace(Text("a1 b2"), Text(c.replacement)), Text(c.want)) << c.pattern;
    }
    ScriptRegex first;
    first.Create(Text("\\d"), std::nullopt, std::nullopt, false);
    EXPECT_EQ(first.Replace(Text("a1 b2"), Text("#")), Text("a# b2"));
}

TEST_F(ScriptRegexTest, WithoutAnInstance) {
    ScriptRegex fresh;
    EXPECT_EQ(fresh.GetPattern(), Text());
    EXPECT_EQ(fresh.Execute(Text("a")), 0);
    EXPECT_EQ(AnsiToUtf8(CallOutcomeText(LastCallOutcome())), "对象为空");
    test::ScopedCreationFailure failing(kScriptRegExpProgId);
    ScriptRegex r;
    EXPECT_FALSE(r.Create(Text("a")));
    EXPECT_EQ(r.GetPattern(), Text());
    EXPECT_EQ(r.Execute(Text("a")), 0);
}

TEST_F(ScriptRegexTest, AnAbandonedSearchEndsTheList) {
    ScriptRegex r;
    r.Create(Text("(a|aa)+$"), std::nullopt, false);
    const std::string subject = std::string(64, 'a') + "b";
    EXPECT_EQ(r.Execute(Text(subject)), 0);  // returns, however the engine fares
}

}  // namespace
}  // namespace kestrane
