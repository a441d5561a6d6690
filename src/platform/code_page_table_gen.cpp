// Writes the code page 936 tables that code_page.cpp compiles in, read from
// ICU's "windows-936-2000" converter (Microsoft's own table, the euro sign
// at 0x80 and the user-defined area included), so that converting needs no
// converter at run time. Every entry is what ICU itself gives for that input
// with the settings code_page.cpp used to open it with ("?" as substitute), so
// the tables reproduce ICU's output, substitutions included, byte for byte.
//
//   code_page_table_gen OUTPUT.inc

#include <unicode/ucnv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

UConverter* Open() {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* c = ucnv_open("windows-936-2000", &err);
    if (U_FAILURE(err)) return nullptr;
    ucnv_setSubstChars(c, "?", 1, &err);
    return U_SUCCESS(err) ? c : nullptr;
}

std::u16string ToUnicode(UConverter* c, const std::string& bytes) {
    ucnv_reset(c);
    std::u16string out(bytes.size() + 4, u'\0');
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(c, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &err);
    out.resize(U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING ? static_cast<std::size_t>(n) : 0);
    return out;
}

std::string FromUnicode(UConverter* c, std::u16string_view units) {
    ucnv_reset(c);
    char out[8] = {};
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(c, out, sizeof out, units.data(), static_cast<int32_t>(units.size()), &err);
    return U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING ? std::string(out, static_cast<std::size_t>(n))
                                                                    : std::string();
}

void Fail(const char* what) {
    std::fprintf(stderr, "code_page_table_gen: %s\n", what);
    std::exit(1);
}

void WriteArray(std::FILE* f, const char* decl, const std::vector<unsigned>& values, int width) {
    std::fprintf(f, "%s = {", decl);
    for (std::size_t i = 0; i < values.size(); ++i) {
        std::fprintf(f, "%s0x%0*X,", i % 16 == 0 ? "\n" : "", width, values[i]);
    }
    std::fprintf(f, "\n};\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) Fail("usage: code_page_table_gen OUTPUT.inc");
    UConverter* c = Open();
    if (c == nullptr) Fail("ICU has no windows-936-2000 converter");

    // Bytes to UTF-16. A lead byte is one that pairs with "A" into one character.
    constexpr unsigned kReprocess = 0xFFFF;  // the lead alone is invalid; the second byte starts afresh
    std::vector<unsigned> single(256), isLead(256);
    std::vector<unsigned> pairs;  // per lead byte 0x81..0xFE, 256 second bytes
    for (unsigned b = 0; b < 256; ++b) {
        const std::u16string alone = ToUnicode(c, std::string(1, static_cast<char>(b)));
        if (alone.size() != 1) Fail("a byte alone did not give one unit");
        single[b] = alone[0];
        isLead[b] = ToUnicode(c, std::string{static_cast<char>(b), 'A'}).size() == 1;
        if (isLead[b] != (b >= 0x81 && b <= 0xFE)) Fail("unexpected lead bytes");
    }
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned t = 0; t < 256; ++t) {
            const std::u16string u = ToUnicode(c, std::string{static_cast<char>(lead), static_cast<char>(t)});
            if (u.size() == 1) {
                if (u[0] == kReprocess) Fail("U+FFFF in the table");
                pairs.push_back(u[0]);
            } else if (u.size() == 2 && u[0] == single[lead]) {
                pairs.push_back(kReprocess);  // a lone lead gives the same unit wherever it stands
            } else {
                Fail("a byte pair gave an unexpected result");
            }
        }
    }

    // UTF-16 code units to bytes, in blocks of 256 code units; identical blocks
    // are stored once. kNothing: no bytes at all.
    constexpr unsigned kNothing = 0x100;
    std::vector<unsigned> blockIndex(256);
    std::vector<unsigned> blocks;
    std::map<std::vector<unsigned>, unsigned> seen;
    for (unsigned hi = 0; hi < 256; ++hi) {
        std::vector<unsigned> block(256);
        for (unsigned lo = 0; lo < 256; ++lo) {
            const char16_t unit = static_cast<char16_t>(hi << 8 | lo);
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                block[lo] = '?';  // never looked up: surrogates are handled by the caller
                continue;
            }
            const std::string bytes = FromUnicode(c, std::u16string_view(&unit, 1));
            if (bytes.empty()) {
                block[lo] = kNothing;  // ICU drops an unmappable default-ignorable character
            } else if (bytes.size() == 1) {
                block[lo] = static_cast<unsigned char>(bytes[0]);
            } else if (bytes.size() == 2 && static_cast<unsigned char>(bytes[0]) >= 0x81) {
                block[lo] = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
            } else {
                Fail("a code unit gave an unexpected result");
            }
        }
        auto [it, added] = seen.emplace(block, static_cast<unsigned>(seen.size()));
        if (added) blocks.insert(blocks.end(), block.begin(), block.end());
        blockIndex[hi] = it->second;
    }
    // What a lone surrogate becomes, and the characters beyond the BMP that
    // become nothing rather than the substitute, as ranges [first, last].
    const std::string sub = FromUnicode(c, u"\xD800");
    if (sub.size() != 1 || FromUnicode(c, u"\xDC00") != sub) Fail("a lone surrogate gave an unexpected result");
    std::vector<unsigned> dropped;
    for (char32_t cp = 0x10000; cp <= 0x10FFFF; ++cp) {
        const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                                  static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
        const std::string bytes = FromUnicode(c, std::u16string_view(pair, 2));
        if (bytes.empty()) {
            if (!dropped.empty() && dropped.back() == cp - 1) {
                dropped.back() = cp;
            } else {
                dropped.push_back(cp);
                dropped.push_back(cp);
            }
        } else if (bytes != sub) {
            Fail("a character beyond the BMP gave an unexpected result");
        }
    }
    ucnv_close(c);

    std::FILE* f = std::fopen(argv[1], "w");
    if (f == nullptr) Fail("cannot write the output");
    std::fprintf(f, "// Generated by code_page_table_gen from ICU's windows-936-2000 converter. Do not edit.\n");
    std::fprintf(f, "constexpr char16_t kReprocess = 0x%X;\n", kReprocess);
    std::fprintf(f, "constexpr char kSubstitute = 0x%02X;\n", static_cast<unsigned char>(sub[0]));
    std::fprintf(f, "constexpr std::uint16_t kNothing = 0x%X;\n", kNothing);
    std::fprintf(f, "constexpr std::size_t kDroppedCount = %zu;\n", dropped.size() / 2);
    WriteArray(f, "constexpr char32_t kDropped[kDroppedCount * 2]", dropped, 5);
    WriteArray(f, "constexpr char16_t kSingle[256]", single, 4);
    WriteArray(f, "constexpr bool kIsLead[256]", isLead, 1);
    WriteArray(f, "constexpr char16_t kPairs[126 * 256]", pairs, 4);
    WriteArray(f, "constexpr std::uint8_t kBlockIndex[256]", blockIndex, 2);
    std::fprintf(f, "constexpr std::size_t kBlockCount = %zu;\n", seen.size());
    WriteArray(f, "constexpr std::uint16_t kBlocks[kBlockCount * 256]", blocks, 4);
    return std::fclose(f) == 0 ? 0 : 1;
}
