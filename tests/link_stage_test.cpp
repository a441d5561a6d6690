#include "resolve/link_stage.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace kestrane {
namespace {

TEST(FindDirectLinkTest, TakesTheLinkOfTheLastAssignment) {
    struct Case {
        const char* name;
        std::string page;
        std::string want;
    } cases[] = {
        {"one", R"(a;;_dlink="http://h/f?a=1";if b)", "http://h/f?a=1"},
        {"two gives the second", R"(;;_dlink="first";if x ;;_dlink="second";if)", "second"},
        {"empty quotes", R"(;;_dlink="";if)", ""},
        {"over several lines", ";;_dlink=\"http://h/\r\nf\n\";if", "http://h/\r\nf\n"},
        {"quotes not followed by ;if stay", R"(;;_dlink="a"b";x"c";if)", R"(a"b";x"c)"},
        {"nearest closing wins", R"(;;_dlink="a";if";if)", "a"},
        {"no closing", R"(;;_dlink="http://h/f)", ""},
        {"no page", "", ""},
        {"case matters", R"(;;_DLINK="x";if)", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FindDirectLink(Text(c.page)).Str(), c.want) << c.name;
}

TEST(FindDirectLinkTest, HostilePagesEndWithoutCrashing) {
    const std::string opening = R"(;;_dlink=")";
    const std::string mb(1 << 20, 'a');
    const std::string pages[] = {
        opening + std::string(10 << 20, 'a'),                // an opening without a closing
        [&] { std::string s; for (int i = 0; i < 100'000; ++i) s += opening; return s; }(),  // many openings
        opening + std::string(2 << 20, '"') + "\";if",       // quotes all the way
        opening + mb + "\";if",                              // a real closing far away
        R"(;;_dlink="good";if)" + opening + mb,              // a match, then trouble
    };
    // What each gives: nothing without a closing; the whole run up to a closing; the match
    // found before the trouble stands.
    const std::string want[] = {"", "", std::string(2 << 20, '"'), mb, "good"};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        EXPECT_TRUE(FindDirectLink(Text(pages[i])).Str() == want[i]) << "page " << i;
    }
}

}  // namespace
}  // namespace kestrane
