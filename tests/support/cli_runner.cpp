#include "support/cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrane::test {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TempBase() {
    static int next = 0;
    return (std::filesystem::temp_directory_path() /
            ("kestrane-cli-" + std::to_string(::getpid()) + "-" + std::to_string(next++)))
        .string();
}

}  // namespace

CliRun RunCliBinary(const std::string& cli, const std::string& args, const std::string& input) {
    const std::string base = TempBase();
    std::ofstream(base + ".in", std::ios::binary) << input;
    CliRun r;
    const std::string command = cli + " " + args + " <" + base + ".in 2>" + base + ".err";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
        const int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = ReadAll(base + ".err");
    }
    std::remove((base + ".in").c_str());
    std::remove((base + ".err").c_str());
    return r;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : m_errPath(TempBase() + ".err") {
    int pipeFds[2];
    if (argv.empty() || pipe2(pipeFds, O_CLOEXEC) != 0) return;
    std::vector<char*> args;
    std::vector<std::string> copies = argv;
    for (std::string& a : copies) args.push_back(a.data());
    args.push_back(nullptr);
    m_pid = fork();
    if (m_pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int err = open(m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || err < 0 || dup2(in, 0) < 0 || dup2(pipeFds[1], 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (m_pid < 0) {
        close(pipeFds[0]);
        return;
    }
    m_out = pipeFds[0];
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        Stop();
        Wait();
    }
    if (m_out >= 0) close(m_out);
    std::remove(m_errPath.c_str());
}

bool ChildProcess::ReadLine(std::string& line) {
    for (;;) {
        if (const auto eol = m_buffer.find('\n'); eol != std::string::npos) {
            line = m_buffer.substr(0, eol);
            m_buffer.erase(0, eol + 1);
            return true;
        }
        char buf[4096];
        const ssize_t n = m_out < 0 ? 0 : read(m_out, buf, sizeof buf);
        if (n <= 0) return false;
        m_buffer.append(buf, static_cast<std::size_t>(n));
    }
}

std::string ChildProcess::ReadRest() {
    char buf[4096];
    for (ssize_t n; m_out >= 0 && (n = read(m_out, buf, sizeof buf)) > 0;) m_buffer.append(buf, static_cast<std::size_t>(n));
    std::string rest;
    rest.swap(m_buffer);
    return rest;
}

std::string ChildProcess::Err() const { return ReadAll(m_errPath); }

void ChildProcess::Stop() {
    if (Running()) kill(m_pid, SIGTERM);
}

int ChildProcess::Wait() {
    if (m_pid <= 0) return -1;
    if (!m_reaped) {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_reaped = true;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return m_status;
}

}  // namespace kestrane::test
