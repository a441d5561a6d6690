#pragma once

// The share address in a piece of text as people paste it: a bare address,
// "链接: https://… 提取码: abcd", "<https://…>", an address followed by
// punctuation.

#include <string>

namespace kestrane {

struct PastedAddress {
    std::string address;         // the first http or https address; empty when there is none
    std::string problem;         // why the text cannot be parsed; empty when it can
    std::string extractionCode;  // a code given beside the address ("提取码: abcd"), or empty
};

// Finds the share address in `text` (UTF-8). The address runs from "http://"
// or "https://" (any letter case) to white space, a quote or angle bracket, a
// CJK or full-width punctuation mark or the end; trailing ASCII punctuation
// (".,;:!?" and closing brackets without an opening one in the address) is
// not part of it. Text that is not valid UTF-8, holds a control character
// other than TAB, or holds no address gets a problem instead.
PastedAddress ExtractShareAddress(const std::string& text);

}  // namespace kestrane
