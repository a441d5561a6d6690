// DecodeUrlText on arbitrary names.
#include <cstddef>
#include <cstdint>

#include "resolve/file_kind_label.h"
#include "resolve/file_name_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    const Text name = DecodeUrlText(Bytes(data, size).ToText());
    (void)FileKindLabel(name.Right(3));
    (void)Utf16BytesToText(Bytes(data, size));
    return 0;
}
