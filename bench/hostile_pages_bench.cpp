// The page work of a parse (the link and details stages) over hostile pages,
// next to its floor: one memmem pass per pattern over the same bytes, finding
// every occurrence of that pattern's opening literal (the least any matcher
// must do to see every place a match could start). Prints both medians, their
// ratio (goal: at most 10) and how each grows from 1 MB to 10 MB (linear: 10).

#include <string.h>

#include <algorithm>
#include <chrono>
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

double MedianMs(const std::function<void()>& work, int reps) {
    std::vector<double> ms;
    for (int i = 0; i < reps; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
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
    };
    const Kind kinds[] = {{"openings without closings", bench::OpeningsWithoutClosings},
                          {"many openings", bench::ManyOpenings},
                          {"backslash runs", bench::LongBackslashRuns}};
    std::printf("hostile pages: page work (link + details stages) vs the memmem floor, medians\n");
    bool allMet = true;
    for (const Kind& kind : kinds) {
        if (std::string(kind.name).find(only) == std::string::npos) continue;
        double work[2] = {}, floor[2] = {};
        int k = 0;
        for (const std::size_t mb : {1, 10}) {
            const std::string bytes = kind.make(mb << 20);
            const Text page(bytes);
            const int reps = mb == 1 ? 31 : 11;
            PageWork(page);  // compiles the patterns
            work[k] = MedianMs([&] { PageWork(page); }, reps);
            floor[k] = MedianMs([&] { MemmemFloor(bytes); }, reps);
            const double ratio = work[k] / floor[k];
            allMet = allMet && ratio <= 10;
            std::printf("  %-26s %2zu MB: page work %8.2f ms, memmem floor %7.2f ms, ratio %5.1f (goal <= 10)\n",
                        kind.name, mb, work[k], floor[k], ratio);
            ++k;
        }
        std::printf("  %-26s 1 -> 10 MB: page work x%.1f, floor x%.1f (linear: x10)\n", kind.name, work[1] / work[0],
                    floor[1] / floor[0]);
    }
    std::printf("goal: every hostile page at most 10x the memmem floor: %s\n", allMet ? "met" : "NOT met");
    return 0;
}
