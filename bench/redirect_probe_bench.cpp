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

void BM_RedirectProbeEndlessBody(benchmark::State& state) {
    loopback::PageServer server;
    loopback::Reply endless{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.2/next\r\nContent-Length: 1073741824\r\n\r\n"};
    endless.endlessBodyChunk = 64 * 1024;
    server.Set("/endless", endless);
    const Text url(server.Url("/endless"));
    const double before = PeakMegabytes();
    for (auto _ : state) {
        const RedirectProbe probe = GetRedirectTarget(url);
        if (probe.location.IsEmpty()) state.SkipWithError("no Location");
    }
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["peak_growth_MB"] = PeakMegabytes() - before;
}

// For comparison: the same request reading the body, as the probe did
// before; it runs into the 64 MiB body cap and fails.
void BM_SameRequestReadingTheBody(benchmark::State& state) {
    loopback::PageServer server;
    loopback::Reply endless{"HTTP/1.1 302 Found\r\nLocation: http://127.0.0.2/next\r\nContent-Length: 1073741824\r\n\r\n"};
    endless.endlessBodyChunk = 64 * 1024;
    server.Set("/endless", endless);
    const Text url(server.Url("/endless"));
    const double before = PeakMegabytes();
    for (auto _ : state) {
        HttpRequest request;
        request.Open(Text("GET"), url);
        (void)request.Option(kOptionEnableRedirects, 0);
        request.Send();
        benchmark::DoNotOptimize(request.GetResponseHeader(Text("Location")));
    }
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["peak_growth_MB"] = PeakMegabytes() - before;
}

BENCHMARK(BM_RedirectProbeEndlessBody)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SameRequestReadingTheBody)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
