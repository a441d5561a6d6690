#include "resolve/byte_size_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace kestrane {

namespace {

constexpr std::array<const char*, 6> kUnits = {"B", "KB", "MB", "GB", "TB", "PB"};

}  // namespace

Text FormatGeneral13(double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.13g", x);
    std::string s = buf;
    // The C library writes at least two exponent digits; the size text has three.
    if (const auto e = s.find('e'); e != std::string::npos && e + 2 < s.size()) {
        std::string digits = s.substr(e + 2);
        while (digits.size() < 3) digits.insert(digits.begin(), '0');
        s = s.substr(0, e + 2) + digits;
    }
    return Text(s);
}

Text FormatByteSize(double size) {
    if (std::isnan(size)) return Text("?B");
    if (std::isinf(size)) return size > 0 ? Text(">9999PB") : Text::FromUtf8("-∞B");
    std::size_t unit = 0;
    double x = size;
    while (x - 1024 >= -0.0000001 && unit + 1 < kUnits.size()) {
        x /= 1024;
        ++unit;
    }
    // Past the last unit the four characters could no longer hold the number.
    if (x - 10000 >= -0.0000001) return Text(">9999PB");
    return FormatGeneral13(x).Left(4) + kUnits[unit];
}

}  // namespace kestrane
