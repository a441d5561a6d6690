#include "platform/code_page.h"

#include <dlfcn.h>
#include <unicode/ucnv.h>
#include <unicode/uvernum.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/utf8.h"

namespace kestrane {

namespace {

// Microsoft's code page 936 as ICU's "windows-936-2000" converter has it,
// generated at build time (code_page_table_gen.cpp): converting needs no
// converter, no data file and no library at run time.
#include "code_page_936_table.inc"

constexpr char16_t kReplacement = 0xFFFD;

// Characters beyond the BMP that ICU's converter drops rather than substitutes
// (unmappable default-ignorable ones, such as tag characters).
bool IsDropped(char32_t c) {
    for (std::size_t k = 0; k < kDroppedCount; ++k) {
        if (c >= kDropped[2 * k] && c <= kDropped[2 * k + 1]) return true;
    }
    return false;
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string AnsiToUtf16(std::string_view ansi) {
    std::u16string out(ansi.size(), u'\0');  // GBK never yields more units than bytes
    char16_t* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(ansi.data());
    const auto* const end = p + ansi.size();
    while (p != end) {
        const unsigned char b = *p;
        if (!kIsLead[b] || p + 1 == end) {
            *o++ = kSingle[b];  // a single byte, or a lead byte cut off by the end
            ++p;
            continue;
        }
        const char16_t u = kPairs[(b - 0x81) * 256 + p[1]];
        if (u == kReprocess) {
            *o++ = kSingle[b];  // an invalid pair: the second byte starts afresh
            ++p;
        } else {
            *o++ = u;
            p += 2;
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

Text Utf16ToAnsi(std::u16string_view utf16) {
    // One byte per unit to begin with (most text is ASCII), grown when a
    // two-byte character needs room: a long text is not zeroed twice over.
    std::string out(utf16.size() + 1, '\0');
    char* o = out.data();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        // Four ASCII units at a time (one byte each: there is always room for that).
        while (i + 4 <= utf16.size() && (utf16[i] | utf16[i + 1] | utf16[i + 2] | utf16[i + 3]) < 0x80) {
            for (int k = 0; k < 4; ++k) *o++ = static_cast<char>(utf16[i + k]);
            i += 4;
        }
        if (i == utf16.size()) break;
        // Room for every unit left at one byte each, this one at two.
        if (static_cast<std::size_t>(out.data() + out.size() - o) < utf16.size() - i + 1) {
            const std::size_t used = static_cast<std::size_t>(o - out.data());
            out.resize(used + 2 * (utf16.size() - i) + 1);
            o = out.data() + used;
        }
        const char16_t u = utf16[i];
        if (u < 0x80) {
            *o++ = static_cast<char>(u);
            continue;
        }
        if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
            // Code page 936 has no character beyond the BMP: a pair is one
            // substitute (or nothing, for the few ICU drops), and so is a lone surrogate.
            if (IsHighSurrogate(u) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
                const char32_t c = 0x10000 + ((char32_t{u} - 0xD800) << 10) + (utf16[++i] - 0xDC00);
                if (IsDropped(c)) continue;
            }
            *o++ = kSubstitute;
            continue;
        }
        const std::uint16_t code = kBlocks[kBlockIndex[u >> 8] * 256 + (u & 0xFF)];
        if (code == kNothing) continue;
        if (code > 0xFF) *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return Text(std::string_view(out));
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out(utf8.size(), u'\0');  // never more units than bytes
    char16_t* o = out.data();
    bool valid = true;
    for (std::size_t i = 0; i < utf8.size();) {
        // Eight ASCII bytes at a time.
        std::uint64_t eight = 0;
        if (i + 8 <= utf8.size() && (std::memcpy(&eight, utf8.data() + i, 8), (eight & 0x8080808080808080u) == 0)) {
            for (int k = 0; k < 8; ++k) *o++ = static_cast<unsigned char>(utf8[i + k]);
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            *o++ = static_cast<unsigned char>(utf8[i++]);
            continue;
        }
        const char32_t c = NextUtf8(utf8, i, valid);
        if (c < 0x10000) {
            *o++ = static_cast<char16_t>(c);
        } else {
            *o++ = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            *o++ = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out(utf16.size() * 3, '\0');  // a pair of units is four bytes, any other unit at most three
    char* o = out.data();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c < 0x80) {
            *o++ = static_cast<char>(c);
            continue;
        }
        if (IsHighSurrogate(utf16[i]) && i + 1 < utf16.size() && IsLowSurrogate(utf16[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(utf16[i]) || IsLowSurrogate(utf16[i])) {
            c = kReplacement;
        }
        if (c < 0x800) {
            *o++ = static_cast<char>(0xC0 | c >> 6);
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *o++ = static_cast<char>(0xE0 | c >> 12);
            *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *o++ = static_cast<char>(0xF0 | c >> 18);
            *o++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
            *o++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
            *o++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

std::string AnsiToUtf8(std::string_view ansi) { return Utf16ToUtf8(AnsiToUtf16(ansi)); }

// Straight from UTF-8 to code page 936, as Utf16ToAnsi(Utf8ToUtf16(utf8))
// would give it (UTF-8 decoding never yields a lone surrogate), without the
// UTF-16 text in between.
Text Utf8ToAnsi(std::string_view utf8) {
    // One byte per input byte to begin with, grown when a character needs more.
    std::string out(utf8.size() + 1, '\0');
    char* o = out.data();
    bool valid = true;
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint64_t eight = 0;
        if (i + 8 <= utf8.size() && (std::memcpy(&eight, utf8.data() + i, 8), (eight & 0x8080808080808080u) == 0)) {
            std::memcpy(o, utf8.data() + i, 8);  // ASCII is the same bytes in code page 936
            o += 8;
            i += 8;
            continue;
        }
        // Room for every byte left at one byte each, this character at two.
        if (static_cast<std::size_t>(out.data() + out.size() - o) < utf8.size() - i + 1) {
            const std::size_t used = static_cast<std::size_t>(o - out.data());
            out.resize(used + 2 * (utf8.size() - i) + 1);
            o = out.data() + used;
        }
        const char32_t c = NextUtf8(utf8, i, valid);
        if (c >= 0x10000) {
            if (!IsDropped(c)) *o++ = kSubstitute;
            continue;
        }
        const std::uint16_t code = kBlocks[kBlockIndex[c >> 8] * 256 + (c & 0xFF)];
        if (code == kNothing) continue;
        if (code > 0xFF) *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return Text(std::string_view(out));
}


}  // namespace kestrane

namespace kestrane {

namespace {

#define KESTRANE_STRINGIFY2(x) #x
#define KESTRANE_STRINGIFY(x) KESTRANE_STRINGIFY2(x)

// ICU's converters for any other character set, loaded on first use only:
// most runs never name one, and then ICU is never mapped.
struct IcuConverters {
    decltype(&ucnv_open) open = nullptr;
    decltype(&ucnv_close) close = nullptr;
    decltype(&ucnv_toUChars) toUChars = nullptr;

    static const IcuConverters* Get() {
        static const IcuConverters icu = [] {
            IcuConverters f;
            // The library this program was built against; it stays loaded until exit.
            void* lib = dlopen("libicuuc.so." KESTRANE_STRINGIFY(U_ICU_VERSION_MAJOR_NUM), RTLD_NOW | RTLD_LOCAL);
            if (lib == nullptr) return f;
            f.open = reinterpret_cast<decltype(&ucnv_open)>(dlsym(lib, KESTRANE_STRINGIFY(ucnv_open)));
            f.close = reinterpret_cast<decltype(&ucnv_close)>(dlsym(lib, KESTRANE_STRINGIFY(ucnv_close)));
            f.toUChars = reinterpret_cast<decltype(&ucnv_toUChars)>(dlsym(lib, KESTRANE_STRINGIFY(ucnv_toUChars)));
            if (f.open == nullptr || f.close == nullptr || f.toUChars == nullptr) f = IcuConverters();
            return f;
        }();
        return icu.open != nullptr ? &icu : nullptr;
    }
};

}  // namespace

std::u16string DecodeCharset(std::string_view bytes, std::string_view charset) {
    const IcuConverters* icu = charset.empty() ? nullptr : IcuConverters::Get();
    if (icu != nullptr) {
        UErrorCode err = U_ZERO_ERROR;
        const std::string name(charset);
        const auto close = [icu](UConverter* c) { icu->close(c); };
        std::unique_ptr<UConverter, decltype(close)> conv(icu->open(name.c_str(), &err), close);
        if (U_SUCCESS(err) && conv) {
            std::u16string out(bytes.size() * 2 + 2, u'\0');
            err = U_ZERO_ERROR;
            const int32_t n = icu->toUChars(conv.get(), out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                                            static_cast<int32_t>(bytes.size()), &err);
            if (U_SUCCESS(err) || err == U_STRING_NOT_TERMINATED_WARNING) {
                out.resize(static_cast<std::size_t>(n));
                return out;
            }
        }
    }
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return Utf8ToUtf16(bytes);
}

}  // namespace kestrane
