#pragma once

// What one parse shows, in UTF-8, as the command-line front end prints it.

#include <optional>
#include <string>

#include "app/memory_window.h"

namespace kestrane {

struct ParseResult {
    std::string share;
    std::string address1, address2, address3;
    std::string name, kind, size, md5;
    // Why the parse gave no link, in words for a person; empty when it gave one.
    std::string failure;
    // The download aria2 took on for it, when it was handed to aria2 over RPC.
    std::optional<std::string> gid;

    bool HasLink() const { return failure.empty(); }
};

// Parses `shareUtf8` with the window's own parse command on `window` and
// collects the seven outputs, and the reason when there is no link.
ParseResult ParseShare(MemoryWindow& window, const std::string& shareUtf8);

// True when `address` is a download address: http:// or https:// (any letter
// case) followed by something.
bool IsDownloadAddress(const std::string& address);

}  // namespace kestrane
