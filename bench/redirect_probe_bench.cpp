// The redirect probe against a server whose redirect has an endless body:
// the probe reads only the headers, so its time and the process's peak memory
// stay those of a small response.

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include "http/http_request.h"
#include "http/mirror_probes.h"
#include "loopback/loopback_server.h"

namespace {

using namespace kestrane;

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Runs `probe` on the address of a 302 whose body never ends, and reports
// the process's peak memory and how much the runs added to it.
template <typename Probe>
void AgainstAnEndlessBody(benchmark::State& state, Probe probe) {
    loopback::PageServer server;
    loopback::Reply endless{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.2/next\r\nContent-Length: 1073741824\r\n\r\n"};
    endless.endlessBodyChunk = 64 * 1024;
    server.Set("/endless", endless);
    const Text url(server.Url("/endless"));
    const double before = PeakMegabytes();
    for (auto _ : state) probe(state, url);
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["peak_growth_MB"] = PeakMegabytes() - before;
}

void BM_RedirectProbeEndlessBody(benchmark::State& state) {
    AgainstAnEndlessBody(state, [](benchmark::State& s, const Text& url) {
        if (GetRedirectTarget(url).location.IsEmpty()) s.SkipWithError("no Location");
    });
}

// For comparison: the same request reading the body, as the probe did
// before; it runs into the 64 MiB body cap and fails.
void BM_SameRequestReadingTheBody(benchmark::State& state) {
    AgainstAnEndlessBody(state, [](benchmark::State&, const Text& url) {
        HttpRequest request;
        request.Open(Text("GET"), url);
        (void)request.Option(kOptionEnableRedirects, 0);
        request.Send();
        benchmark::DoNotOptimize(request.GetResponseHeader(Text("Location")));
    });
}

BENCHMARK(BM_RedirectProbeEndlessBody)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SameRequestReadingTheBody)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
