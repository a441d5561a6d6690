// Header bytes through UTF-16 and back: bytes that are not UTF-8 cross as
// themselves, whatever surrounds them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/automation/header_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.find('\0') != std::string_view::npos) return 0;  // a Text ends at a zero byte
    const std::u16string utf16 = DecodeKeepingBytes(bytes);
    // A value that is not UTF-8 is kept byte for byte: it comes back as it was.
    // A kept byte is a lone low surrogate U+DC80..U+DCFF; the same unit after
    // a high surrogate is half of a character beyond the BMP.
    bool keptWhole = true, anyKept = false;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t u = utf16[i];
        const bool kept = u >= 0xDC80 && u <= 0xDCFF && (i == 0 || utf16[i - 1] < 0xD800 || utf16[i - 1] > 0xDBFF);
        keptWhole = keptWhole && (u < 0x80 || kept);
        anyKept = anyKept || kept;
    }
    if (anyKept && !keptWhole) __builtin_trap();
    if (keptWhole && EncodeKeepingBytes(utf16).View() != bytes) __builtin_trap();
    // Never more code units than bytes.
    if (utf16.size() > bytes.size()) __builtin_trap();
    return 0;
}
