// Saving and loading a cookie file: the time should grow linearly with the
// number of cookies (100 per host here), for a new file and for an update of
// an existing one.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "http/cookie_store.h"

namespace {

using namespace kestrane;

CookieStore StoreOf(int cookies) {
    CookieStore s;
    for (int i = 0; i < cookies; ++i) {
        s.SetCookie(Text("host" + std::to_string(i / 100) + ".example"), Text("name" + std::to_string(i)),
                    Text("value-" + std::to_string(i)));
    }
    return s;
}

const std::string& BenchFile() {
    static const std::string path = "/tmp/kestrane-cookie-bench-" + std::to_string(::getpid()) + ".ini";
    return path;
}

void RemoveBenchFile() {
    std::remove(BenchFile().c_str());
    std::remove((BenchFile() + ".kestrane-lock").c_str());
}

void BM_SaveNewFile(benchmark::State& state) {
    const CookieStore s = StoreOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        RemoveBenchFile();
        state.ResumeTiming();
        benchmark::DoNotOptimize(const_cast<CookieStore&>(s).SaveToFile(Text(BenchFile())));
    }
    RemoveBenchFile();
    state.SetComplexityN(state.range(0));
}

void BM_UpdateExistingFile(benchmark::State& state) {
    CookieStore s = StoreOf(static_cast<int>(state.range(0)));
    RemoveBenchFile();
    s.SaveToFile(Text(BenchFile()));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.SetCookie(Text("host0.example"), Text("name0"), Text("round-" + std::to_string(++round)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(s.SaveToFile(Text(BenchFile())));
    }
    RemoveBenchFile();
    state.SetComplexityN(state.range(0));
}

void BM_Load(benchmark::State& state) {
    CookieStore s = StoreOf(static_cast<int>(state.range(0)));
    RemoveBenchFile();
    s.SaveToFile(Text(BenchFile()));
    for (auto _ : state) {
        CookieStore back;
        benchmark::DoNotOptimize(back.LoadFromFile(Text(BenchFile())));
    }
    RemoveBenchFile();
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_SaveNewFile)->RangeMultiplier(4)->Range(1000, 40000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_UpdateExistingFile)->RangeMultiplier(4)->Range(1000, 40000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Load)->RangeMultiplier(4)->Range(1000, 40000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
