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
    bool keptWhole = true;
    for (const char16_t u : utf16) keptWhole = keptWhole && (u < 0x80 || (u >= 0xDC80 && u <= 0xDCFF));
    bool anyKept = false;
    for (const char16_t u : utf16) anyKept = anyKept || (u >= 0xDC80 && u <= 0xDCFF);
    if (anyKept && !keptWhole) __builtin_trap();
    if (keptWhole && EncodeKeepingBytes(utf16).View() != bytes) __builtin_trap();
    // Never more code units than bytes.
    if (utf16.size() > bytes.size()) __builtin_trap();
    return 0;
}
