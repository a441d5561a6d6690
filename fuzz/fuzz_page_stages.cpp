// The page stages on arbitrary page bytes: link, file details, their labels.
#include <cstddef>
#include <cstdint>

#include "resolve/byte_size_text.h"
#include "resolve/file_details_stage.h"
#include "resolve/link_stage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrane;
    const Text page = Bytes(data, size).ToText();
    (void)FindDirectLink(page);
    const FileDetails details = FindFileDetails(page);
    (void)FormatByteSize(details.size);
    return 0;
}
