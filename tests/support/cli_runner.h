#pragma once

// Runs the real kestrane-cli binary, as a script would.

#include <string>

namespace kestrane::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `cli` with `args` (shell words) and `input` on standard input;
// standard error goes to a file, never a terminal.
CliRun RunCliBinary(const std::string& cli, const std::string& args, const std::string& input = "");

}  // namespace kestrane::test
