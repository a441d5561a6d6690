#include "support/cli_runner.h"

#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace

CliRun RunCliBinary(const std::string& cli, const std::string& args, const std::string& input) {
    static int next = 0;
    const std::string base = (std::filesystem::temp_directory_path() /
                              ("kestrane-cli-" + std::to_string(::getpid()) + "-" + std::to_string(next++)))
                                 .string();
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

}  // namespace kestrane::test
