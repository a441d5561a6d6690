#pragma once

// What one parse shows, in UTF-8, as the command-line front end prints it.

#include <string>

#include "app/memory_window.h"

namespace kestrane {

struct ParseResult {
    std::string share;
    std::string address1, address2, address3;
    std::string name, kind, size, md5;
};

// Parses `shareUtf8` with the window's own parse command on `window` and
// collects the seven outputs.
ParseResult ParseShare(MemoryWindow& window, const std::string& shareUtf8);

}  // namespace kestrane
