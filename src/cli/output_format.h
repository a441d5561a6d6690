#pragma once

// The three output formats of kestrane-cli. Each writes one parse at a time.

#include <cstdio>
#include <string>

#include "cli/parse_result.h"

namespace kestrane {

enum class OutputFormat { kPlain, kJson, kAria2 };

// `batch` is true when more than one address is parsed in the run: plain
// output then names each share and separates parses by a blank line, JSON
// becomes JSON Lines with a "share" key. `index` counts parses from 0.
std::string FormatPlain(const ParseResult& r, bool batch, std::size_t index);
std::string FormatJson(const ParseResult& r, bool batch);

// An aria2 input-file entry: the usable download addresses as TAB-separated
// mirrors, then " out=" with the file name made safe and " checksum=md5="
// when the MD5 is 32 hexadecimal digits; "# no link: <share>" without a link.
std::string FormatAria2(const ParseResult& r);

// `name` as a file name that stays inside the download folder: path
// separators and control characters become "_", and "." or ".." becomes "_".
std::string SafeFileName(const std::string& name);

}  // namespace kestrane
