#pragma once

// The command line of kestrane-cli.

#include <optional>
#include <string>
#include <vector>

#include "cli/output_format.h"

namespace kestrane {

struct CliOptions {
    OutputFormat format = OutputFormat::kPlain;
    bool help = false;
    bool readStdin = false;  // "-" was given
    std::vector<std::string> addresses;
};

// The options, or nothing (with `error` set) for wrong usage.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kCliUsage;
extern const char* const kCliHelp;

// Why an address cannot be parsed (not valid UTF-8, a control character), or
// empty when it can.
std::string AddressProblem(const std::string& address);

}  // namespace kestrane
