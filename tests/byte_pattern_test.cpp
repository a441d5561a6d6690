#include "pattern/byte_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "resolve/file_details_stage.h"
#include "resolve/link_stage.h"

namespace kestrane {
namespace {

std::vector<std::vector<std::string>> AllMatches(const BytePattern& p, std::string_view text) {
    std::vector<std::vector<std::string>> out;
    p.ForEachMatch(text, [&](const PatternMatch& m) {
        std::vector<std::string> groups;
        for (std::size_t g = 0; g < m.groups.size(); ++g) groups.emplace_back(m.Group(g));
        out.push_back(std::move(groups));
    });
    return out;
}

TEST(BytePatternTest, FollowsThePageRules) {
    const BytePattern dotAll("a.b");
    EXPECT_EQ(AllMatches(dotAll, "a\nb a\rb").size(), 2u);  // "." takes CR and LF
    const BytePattern cased("abc");
    EXPECT_TRUE(AllMatches(cased, "ABC").empty());
    const BytePattern lazy("<(.*?)>");
    EXPECT_EQ(AllMatches(lazy, "<a><b>"), (std::vector<std::vector<std::string>>{{"<a>", "a"}, {"<b>", "b"}}));
    const BytePattern nonOverlap("aa");
    EXPECT_EQ(AllMatches(nonOverlap, "aaaaa").size(), 2u);
    const BytePattern optionalGroup("x(y)?z");
    EXPECT_EQ(AllMatches(optionalGroup, "xz"), (std::vector<std::vector<std::string>>{{"xz", ""}}));
    const BytePattern empty("q*");
    EXPECT_EQ(AllMatches(empty, "ab").size(), 3u);  // empty matches step on instead of looping
    EXPECT_EQ(AllMatches(empty, "").size(), 1u);    // and the one at the end is the last
    EXPECT_EQ(AllMatches(BytePattern("b?"), "ab"), (std::vector<std::vector<std::string>>{{""}, {"b"}, {""}}));
    const BytePattern rejected("(unclosed");
    EXPECT_FALSE(rejected.IsValid());
    EXPECT_TRUE(AllMatches(rejected, "(unclosed").empty());
}

TEST(BytePatternTest, PageStagePatternsRunLinear) {
    for (const char* p : {kDlinkPattern, kFileNamePattern, kSizePattern, kMd5Pattern}) {
        EXPECT_TRUE(BytePattern(p).IsLinear()) << p;
    }
    EXPECT_FALSE(BytePattern(R"((http://)[\w\.]+[^/])").IsLinear());
    EXPECT_FALSE(BytePattern("a(.*?)").IsLinear());  // no tail
    EXPECT_FALSE(BytePattern("a+a(.*?)b").IsLinear());  // a run that would need backing up
}

// The linear matcher and Boost.Regex agree on every text where Boost does not
// give up: random texts built from the pieces the patterns look for.
TEST(BytePatternTest, LinearMatcherAgreesWithBoost) {
    const std::vector<std::string> pieces = {";;_dlink=\"", "\";if", "\"", ";", "if", "filename=", "\\", "\\\"",
                                             "size",        "md5",   ":",  "a", "\n", "%E4", "\\\\\""};
    const std::string patterns[] = {kDlinkPattern, kFileNamePattern, kSizePattern, kMd5Pattern,
                                    R"(k(\\+)-(.*?)(x+y))", R"((ab)c(.*?)+(z))"};
    std::mt19937 rng(20261210);
    for (const std::string& pattern : patterns) {
        const BytePattern fast(pattern);
        const BytePattern boost(pattern, BytePattern::Engine::kBoostRegex);
        ASSERT_TRUE(fast.IsLinear()) << pattern;
        for (int round = 0; round < 3000; ++round) {
            std::string text;
            const int n = static_cast<int>(rng() % 24);
            for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
            if (pattern[0] == 'k') text = "k\\\\-" + text + "xy";
            if (pattern[0] == '(') text = "abc" + text + "z";
            ASSERT_EQ(AllMatches(fast, text), AllMatches(boost, text)) << pattern << "\non: " << text;
        }
    }
}

// The same agreement on longer texts that look like hostile pages: long runs of
// one byte, many openings, and near misses whose first and last bytes are
// those of what the matcher seeks (the linear matcher tests sixteen places at once).
TEST(BytePatternTest, LinearMatcherAgreesWithBoostOnHostileTexts) {
    const std::vector<std::string> pieces = {std::string(37, '\\'), std::string(16, '\\'), std::string(21, 'a'),
                                             ";;_dlink=\"", "\";if", "\"xif", "\";xf", ";;_dlinX=\"", ";x_dlink=\"",
                                             "filename=", "filenam==", "fxlename=", "size\\\":\\\"", "md5\\\":\\\"",
                                             "\\\"", "\"", "\\", "x", "f=", "s\\"};
    const std::string patterns[] = {kDlinkPattern, kFileNamePattern, kSizePattern, kMd5Pattern};
    std::mt19937 rng(20261211);
    for (const std::string& pattern : patterns) {
        const BytePattern fast(pattern);
        const BytePattern boost(pattern, BytePattern::Engine::kBoostRegex);
        for (int round = 0; round < 1500; ++round) {
            std::string text;
            const int n = static_cast<int>(rng() % 40);
            for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
            ASSERT_EQ(AllMatches(fast, text), AllMatches(boost, text)) << pattern << "\non: " << text;
        }
    }
}

// The host pattern of the probes runs without Boost; it gives Boost's matches
// for every byte around the run and for random addresses.
TEST(BytePatternTest, WordRunMatcherAgreesWithBoost) {
    const std::string pattern = R"((http://)[\w\.]+[^/])";
    const BytePattern fast(pattern);
    const BytePattern boost(pattern, BytePattern::Engine::kBoostRegex);
    for (int b = 0; b < 256; ++b) {
        const std::string c(1, static_cast<char>(b));
        for (const std::string& text : {"http://" + c, "http://" + c + "/", "http://a" + c, "http://a" + c + "b/",
                                        "http://ab" + c, c + "http://a.b" + c + "/p"}) {
            ASSERT_EQ(AllMatches(fast, text), AllMatches(boost, text)) << testing::PrintToString(text);
        }
    }
    const std::vector<std::string> pieces = {"http://", "http:/", "http://http://", "a", "Z", "_", ".", "9", "/",
                                             ":", "-", "?", "\n", "\x80", "\xE4\xB8\xAD", "127.0.0.90", "/d/x?f=1"};
    std::mt19937 rng(20261212);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 16);
        for (int i = 0; i < n; ++i) text += pieces[rng() % pieces.size()];
        ASSERT_EQ(AllMatches(fast, text), AllMatches(boost, text)) << testing::PrintToString(text);
    }
    for (const char* other : {R"((ab)[\w\.]+[^/])", R"((http://)[\w\.]+[^.])", R"((http://)[\w]+[^/])"}) {
        // Shapes the word-run matcher does not take still match as Boost does.
        const BytePattern a(other), b(other, BytePattern::Engine::kBoostRegex);
        for (const std::string text : {"http://abc/d", "ab.cd/e", "xx http://a.b.c.d"}) {
            ASSERT_EQ(AllMatches(a, text), AllMatches(b, text)) << other << " on " << text;
        }
    }
}

}  // namespace
}  // namespace kestrane
