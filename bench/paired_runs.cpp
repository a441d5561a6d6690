// Runs commands side by side, interleaved, and compares each with the first.
//
//   paired_runs [--rounds N] [--warmup N] NAME=COMMAND ...
//
// The first command is the floor. Each round runs every command once, in an
// order that rotates from round to round, so that a busy moment of a shared
// machine falls on all of them alike. Each run is one process started with
// posix_spawnp (no shell; COMMAND is split at spaces), its output thrown away.
// Wall time is measured around it; CPU time (user + system) and peak RSS come
// from wait4. This program stays small on purpose: a child's peak RSS counts
// the memory of its parent until exec.
//
// Prints per command the median wall and CPU time and the median peak RSS,
// and against the floor the ratio of the medians and the median of the
// per-round ratios.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
    double wallMs = 0, cpuMs = 0, rssMb = 0;
};

struct Command {
    std::string name;
    std::vector<std::string> argv;
    std::vector<Sample> samples;
};

Sample Run(const Command& c) {
    std::vector<char*> argv;
    for (const auto& a : c.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "paired_runs: cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "paired_runs: %s failed (status %d)\n", c.name.c_str(), status);
        std::exit(1);
    }
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {std::chrono::duration<double, std::milli>(end - start).count(),
            (seconds(usage.ru_utime) + seconds(usage.ru_stime)) * 1000, usage.ru_maxrss / 1024.0};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <typename F>
std::vector<double> Column(const std::vector<Sample>& s, F f) {
    std::vector<double> v;
    for (const auto& x : s) v.push_back(f(x));
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 30, warmup = 3;
    std::vector<Command> commands;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if ((a == "--rounds" || a == "--warmup") && i + 1 < argc) {
            (a == "--rounds" ? rounds : warmup) = std::atoi(argv[++i]);
            continue;
        }
        const auto eq = a.find('=');
        if (eq == std::string::npos) {
            std::fprintf(stderr, "usage: paired_runs [--rounds N] [--warmup N] NAME=COMMAND ...\n");
            return 2;
        }
        Command c{a.substr(0, eq), {}, {}};
        std::istringstream words(a.substr(eq + 1));
        for (std::string w; words >> w;) c.argv.push_back(w);
        commands.push_back(std::move(c));
    }
    if (commands.size() < 2 || rounds < 1) {
        std::fprintf(stderr, "usage: paired_runs [--rounds N] [--warmup N] NAME=COMMAND ...\n");
        return 2;
    }
    for (int w = 0; w < warmup; ++w) {
        for (const auto& c : commands) Run(c);
    }
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t k = 0; k < commands.size(); ++k) {
            Command& c = commands[(static_cast<std::size_t>(r) + k) % commands.size()];
            c.samples.push_back(Run(c));
        }
    }

    std::size_t width = 0;
    for (const auto& c : commands) width = std::max(width, c.name.size());
    const Command& floor = commands.front();
    const double floorWall = Median(Column(floor.samples, [](const Sample& s) { return s.wallMs; }));
    const double floorCpu = Median(Column(floor.samples, [](const Sample& s) { return s.cpuMs; }));
    std::printf("%d rounds, interleaved; medians of wall time, CPU time (user + system) and peak RSS\n", rounds);
    for (const auto& c : commands) {
        const double wall = Median(Column(c.samples, [](const Sample& s) { return s.wallMs; }));
        const double cpu = Median(Column(c.samples, [](const Sample& s) { return s.cpuMs; }));
        const double rss = Median(Column(c.samples, [](const Sample& s) { return s.rssMb; }));
        std::printf("  %-*s  wall %6.2f ms  CPU %6.2f ms  peak RSS %5.1f MB", static_cast<int>(width), c.name.c_str(),
                    wall, cpu, rss);
        if (&c != &floor) {
            std::vector<double> wallRatio, cpuRatio;
            for (std::size_t i = 0; i < c.samples.size(); ++i) {
                wallRatio.push_back(c.samples[i].wallMs / floor.samples[i].wallMs);
                if (floor.samples[i].cpuMs > 0) cpuRatio.push_back(c.samples[i].cpuMs / floor.samples[i].cpuMs);
            }
            std::printf("  | vs %s: wall %.2fx (per round %.2fx), CPU %.2fx (per round %.2fx)", floor.name.c_str(),
                        wall / floorWall, Median(wallRatio), cpu / floorCpu, cpuRatio.empty() ? 0.0 : Median(cpuRatio));
        }
        std::printf("\n");
    }
    return 0;
}
