// The page work of a parse (the link and details stages) over hostile pages,
// next to its floor: one memmem pass per pattern over the same bytes, finding
// every occurrence of that pattern's opening literal (the least any matcher
// must do to see every place a match could start). Prints both medians, their
// ratio (goal: at most 10) and how each grows from 1 MB to 10 MB (linear: 10).
// Times are CPU time of the measuring thread, medians of repeated runs.

#include <malloc.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "page_generator.h"
#include "platform/text.h"
#include "resolve/byte_size_text.h"
#include "resolve/file_details_stage.h"
#include "resolve/link_stage.h"

namespace {

using namespace kestrane;

// This thread's CPU time (page faults included): on a machine shared with
// other work, time spent waiting for a core does not count.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double MedianMs(const std::function<void()>& work, int reps) {
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        const double start = ThreadCpuMs();
        work();
        ms.push_back(ThreadCpuMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

volatile std::size_t g_sink;

void PageWork(const Text& page) {
    const Text link = FindDirectLink(page);
    const FileDetails details = FindFileDetails(page);
    g_sink = link.Str().size() + FormatByteSize(details.size).Str().size() + details.md5.Str().size();
}

void MemmemFloor(const std::string& page) {
    static const char* const kOpenings[] = {";;_dlink=\"", "filename=", "size\\", "md5\\"};
    std::size_t found = 0;
    for (const char* opening : kOpenings) {
        const std::size_t n = strlen(opening);
        const char* at = page.data();
        const char* const end = page.data() + page.size();
        while (const void* hit = memmem(at, static_cast<std::size_t>(end - at), opening, n)) {
            ++found;
            at = static_cast<const char*>(hit) + 1;
        }
    }
    g_sink = found;
}

}  // namespace

int main(int argc, char** argv) {
    // An optional argument picks the pages whose name contains it.
    const std::string only = argc > 1 ? argv[1] : "";
    struct Kind {
        const char* name;
        std::string (*make)(std::size_t);
        double work[2], floor[2], keptWork[2];
    };
    Kind kinds[] = {{"openings without closings", bench::OpeningsWithoutClosings, {}, {}, {}},
                    {"many openings", bench::ManyOpenings, {}, {}, {}},
                    {"backslash runs", bench::LongBackslashRuns, {}, {}, {}}};
    constexpr std::size_t kSizes[] = {1, 10};
    auto measure = [&](bool floorToo) {
        for (Kind& kind : kinds) {
            if (std::string(kind.name).find(only) == std::string::npos) continue;
            for (int k = 0; k < 2; ++k) {
                const std::string bytes = kind.make(kSizes[k] << 20);
                const Text page(bytes);
                const int reps = k == 0 ? 31 : 11;
                PageWork(page);  // compiles the patterns
                (floorToo ? kind.work : kind.keptWork)[k] = MedianMs([&] { PageWork(page); }, reps);
                if (floorToo) kind.floor[k] = MedianMs([&] { MemmemFloor(bytes); }, reps);
            }
        }
    };
    measure(true);
    // Again with freed memory kept by malloc: a 10 MB page's texts otherwise
    // come as fresh pages from the kernel on every run (a cost per byte the
    // 1 MB page, whose blocks malloc reuses, does not pay in this loop).
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    measure(false);

    std::printf("hostile pages: page work (link + details stages) vs the memmem floor, median CPU time\n");
    bool allMet = true;
    for (const Kind& kind : kinds) {
        if (std::string(kind.name).find(only) == std::string::npos) continue;
        for (int k = 0; k < 2; ++k) {
            const double ratio = kind.work[k] / kind.floor[k];
            allMet = allMet && ratio <= 10;
            std::printf("  %-26s %2zu MB: page work %8.2f ms, memmem floor %7.2f ms, ratio %5.1f (goal <= 10)\n",
                        kind.name, kSizes[k], kind.work[k], kind.floor[k], ratio);
        }
        std::printf("  %-26s 1 -> 10 MB: page work x%.1f (x%.1f with memory kept), floor x%.1f (linear: x10)\n",
                    kind.name, kind.work[1] / kind.work[0], kind.keptWork[1] / kind.keptWork[0],
                    kind.floor[1] / kind.floor[0]);
    }
    std::printf("goal: every hostile page at most 10x the memmem floor: %s\n", allMet ? "met" : "NOT met");
    return 0;
}
