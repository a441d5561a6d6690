#include "resolve/link_stage.h"

#include "pattern/byte_pattern.h"

namespace kestrane {

Text FindDirectLink(const Text& page) {
    static const BytePattern pattern(kDlinkPattern);
    Text address;
    pattern.ForEachMatch(page.View(), [&](const PatternMatch& m) { address = Text(m.Group(0)); });
    return address.Mid(11, address.Length() - 14);
}

}  // namespace kestrane
