#pragma once

// Download address 1: the last direct-link assignment of the share page.

#include "platform/text.h"

namespace kestrane {

// A script assignment of the link: ";;_dlink=", a quote, the link, a quote, ";if".
inline constexpr const char* kDlinkPattern = R"(;;_dlink="(.*?)+";if)";

// The link of the last assignment in `page`, without the 10 bytes in front of
// it and the 4 behind; empty when the page holds none.
Text FindDirectLink(const Text& page);

}  // namespace kestrane
