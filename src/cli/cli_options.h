#pragma once

// The command line of kestrane-cli.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cli/output_format.h"

namespace kestrane {

inline constexpr std::size_t kDefaultJobs = 4;
inline constexpr std::size_t kMaxJobs = 64;

struct CliOptions {
    OutputFormat format = OutputFormat::kPlain;
    bool help = false;
    bool version = false;
    bool readStdin = false;  // "-" was given
    std::size_t jobs = kDefaultJobs;
    std::vector<std::string> headers;  // --header, "Name: value"
    std::string aria2RpcUrl;           // --aria2-rpc; empty when not given
    std::string aria2Secret;           // --aria2-secret
    std::vector<std::string> addresses;
};

// The options (getopt_long rules: "--opt=value", "--opt value", "-j4",
// bundled short options, "--" ends the options, operands may come first),
// or nothing (with `error` set) for wrong usage.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string& error);

extern const char* const kCliUsage;
extern const char* const kCliHelp;

// Why a --header value cannot be sent (a CR or LF in it, no colon, no name
// before the colon), or empty when it can.
std::string HeaderProblem(const std::string& header);

}  // namespace kestrane
