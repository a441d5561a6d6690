// The page work of a parse, without the network: the link stage, the details
// stage, and both together, over generated pages. Reports bytes per second.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "page_generator.h"
#include "platform/text.h"
#include "resolve/byte_size_text.h"
#include "resolve/file_details_stage.h"
#include "resolve/link_stage.h"

namespace {

using namespace kestrane;

constexpr std::size_t kRealistic = 150 * 1024;
constexpr std::size_t kLarge = 10 * 1024 * 1024;

const Text& Page(const std::string& name) {
    static const Text realistic(bench::RealisticPage(kRealistic));
    static const Text large(bench::RealisticPage(kLarge));
    static const Text openings(bench::OpeningsWithoutClosings(kLarge));
    static const Text many(bench::ManyOpenings(kLarge));
    static const Text backslashes(bench::LongBackslashRuns(kLarge));
    if (name == "realistic_150KB") return realistic;
    if (name == "realistic_10MB") return large;
    if (name == "hostile_openings_without_closings_10MB") return openings;
    if (name == "hostile_many_openings_10MB") return many;
    return backslashes;
}

void PageWork(const Text& page) {
    Text link = FindDirectLink(page);
    benchmark::DoNotOptimize(link);
    const FileDetails details = FindFileDetails(page);
    Text size = FormatByteSize(details.size);
    benchmark::DoNotOptimize(size);
}

void Run(benchmark::State& state, const std::string& page, const std::function<void(const Text&)>& work) {
    const Text& p = Page(page);
    for (auto _ : state) work(p);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * p.Length());
}

void RegisterAll() {
    const std::string pages[] = {"realistic_150KB", "realistic_10MB", "hostile_openings_without_closings_10MB",
                                 "hostile_many_openings_10MB", "hostile_backslash_runs_10MB"};
    for (const std::string& page : pages) {
        benchmark::RegisterBenchmark(("link_stage/" + page).c_str(), [page](benchmark::State& s) {
            Run(s, page, [](const Text& p) { benchmark::DoNotOptimize(FindDirectLink(p)); });
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("details_stage/" + page).c_str(), [page](benchmark::State& s) {
            Run(s, page, [](const Text& p) { benchmark::DoNotOptimize(FindFileDetails(p)); });
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("page_work/" + page).c_str(), [page](benchmark::State& s) {
            Run(s, page, PageWork);
        })->Unit(benchmark::kMillisecond);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
