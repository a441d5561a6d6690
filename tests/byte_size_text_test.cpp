#include "resolve/byte_size_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/code_page.h"

namespace kestrane {
namespace {

TEST(FormatByteSizeTest, WorkedResults) {
    struct Case {
        double size;
        const char* want;
    } cases[] = {
        {0, "0B"},
        {1, "1B"},
        {1023, "1023B"},
        {1024, "1KB"},
        {1025, "1.00KB"},
        {1536, "1.5KB"},
        {12345, "12.0KB"},
        {1000000, "976.KB"},
        {1048575, "1023KB"},
        {1048576, "1MB"},
        {5000000, "4.76MB"},
        {123456792, "117.MB"},
        {1073741824, "1GB"},
        {1610612736, "1.5GB"},
        {std::ldexp(1.0, 50), "1PB"},
        {std::ldexp(1.0, 60) - std::ldexp(1.0, 36), "1023PB"},
        {1024 - 0.00000005, "0.99KB"},  // within the tolerance of 1024: divided
        {-5, "-5B"},
        {-2048, "-204B"},
        {0.5, "0.5B"},
        {0.000123, "0.00B"},
        {1e-5, "1e-0B"},  // exponent form, cut to four characters
    };
    for (const Case& c : cases) EXPECT_EQ(FormatByteSize(c.size), Text(c.want)) << c.size;
}

// Beyond the last unit, and non-finite sizes, never stop the program and
// never show a number smaller than the size.
TEST(FormatByteSizeTest, SizesBeyondPetabytesAndNonFiniteValues) {
    struct Case {
        double size;
        std::string wantUtf8;
    } cases[] = {
        {std::ldexp(1.0, 60), "1024PB"},
        {std::ldexp(1.0, 60) * 9.5, "9728PB"},
        {std::ldexp(1.0, 50) * 10000, ">9999PB"},
        {3.4e38, ">9999PB"},
        {std::numeric_limits<double>::infinity(), ">9999PB"},
        {-std::numeric_limits<double>::infinity(), "-∞B"},
        {std::numeric_limits<double>::quiet_NaN(), "?B"},
    };
    for (const Case& c : cases) EXPECT_EQ(AnsiToUtf8(FormatByteSize(c.size)), c.wantUtf8) << c.size;
}

TEST(FormatGeneral13Test, PlainAndExponentForms) {
    struct Case {
        double x;
        const char* want;
    } cases[] = {
        {1023.9990234375, "1023.999023438"},
        {117.73757171630859375, "117.7375717163"},
        {1e20, "1e+020"},
        {9.999999747378752e-06, "9.999999747379e-006"},
        {0.0001, "0.0001"},
        {-1.5, "-1.5"},
        {1234567890123.0, "1234567890123"},
        {12345678901234.0, "1.234567890123e+013"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatGeneral13(c.x), Text(c.want)) << c.x;
}

}  // namespace
}  // namespace kestrane
