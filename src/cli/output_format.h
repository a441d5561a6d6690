#pragma once

// The three output formats of kestrane-cli. Each writes one parse at a time.

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/parse_result.h"

namespace kestrane {

enum class OutputFormat { kPlain, kJson, kAria2 };

// `batch` is true when more than one address is parsed in the run: plain
// output then names each share and separates parses by a blank line, JSON
// becomes JSON Lines with a "share" key. `index` counts parses from 0.
// Plain values are made safe for a terminal (TerminalSafe), so each result is
// exactly its "key: value" lines; a "gid: " line follows when the result has a
// GID, and JSON gets a "gid" key.
std::string FormatPlain(const ParseResult& r, bool batch, std::size_t index);
std::string FormatJson(const ParseResult& r, bool batch);

// One download for aria2: its mirrors and its options.
struct Aria2Download {
    std::vector<std::string> uris;  // the usable download addresses, address 1 first
    std::string out;                // the file name made safe; empty when the page gave none
    std::string checksum;           // "md5=<lower-case hex>" when the MD5 is 32 hexadecimal digits
};

// The download of a parse, or nothing when it has no usable address 1.
// Bytes that would break a line (white space, controls) are percent-encoded.
std::optional<Aria2Download> MakeAria2Download(const ParseResult& r);

// An aria2 input-file entry: the usable download addresses as TAB-separated
// mirrors, then " out=" with the file name made safe, " checksum=md5=" when
// the MD5 is 32 hexadecimal digits, and one " header=" line for each of
// `headers`; "# no link: <share>" without a link.
std::string FormatAria2(const ParseResult& r, const std::vector<std::string>& headers = {});

// `name` as a file name that stays inside the download folder: path
// separators and control characters become "_", and "." or ".." becomes "_".
std::string SafeFileName(const std::string& name);

}  // namespace kestrane
