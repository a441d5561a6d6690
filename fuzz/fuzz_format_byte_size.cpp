// FormatByteSize on arbitrary doubles (every bit pattern: NaNs, infinities,
// subnormals), and the size parse on arbitrary texts.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "resolve/byte_size_text.h"
#include "resolve/size_number.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    if (size >= sizeof(double)) {
        double d = 0;
        std::memcpy(&d, data, sizeof d);
        const Text text = FormatByteSize(d);
        if (text.Length() > 8) __builtin_trap();  // four characters and a unit at most
    }
    (void)FormatByteSize(static_cast<double>(ParseSingleNumber(kestrane::Bytes(data, size).ToText())));
    return 0;
}
