#pragma once

// Runs the real kestrane-cli binary (and other programs the tests need), as a
// script would.

#include <sys/types.h>

#include <string>
#include <vector>

namespace kestrane::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `cli` with `args` (shell words) and `input` on standard input;
// standard error goes to a file, never a terminal.
CliRun RunCliBinary(const std::string& cli, const std::string& args, const std::string& input = "");

// A program started by a test, read from as it runs. Standard input is
// /dev/null; standard output is a pipe; standard error goes to a file.
// Destroying a process that still runs stops it with SIGTERM, by its pid.
class ChildProcess {
public:
    // Starts `argv[0]` (a path) with `argv`; `Running()` is false when it could not start.
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Running() const { return m_pid > 0 && !m_reaped; }
    pid_t Pid() const { return m_pid; }
    // The next line of standard output without its "\n"; false at its end.
    bool ReadLine(std::string& line);
    // The rest of standard output.
    std::string ReadRest();
    // Standard error so far.
    std::string Err() const;
    // Sends SIGTERM to the process; does not wait.
    void Stop();
    // Waits for the process to end: its exit status, or -1 when a signal ended it.
    int Wait();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    bool m_reaped = false;
    int m_status = -1;
    std::string m_buffer;
    std::string m_errPath;
};

}  // namespace kestrane::test
