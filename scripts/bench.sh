#!/usr/bin/env bash
# Builds the release flavour with the benchmarks and runs all of them:
# the page stages (Google Benchmark), hostile pages against a memmem pass,
# a whole kestrane-cli parse against the curl floor (interleaved rounds),
# a kestrane-cli batch with several --jobs, and the window's start time and
# memory. Run as root; not part of the test command. Commands run side by
# side, so a busy machine shifts both sides.
#   RUNS=30 (parse rounds), BASELINE=<earlier kestrane-cli>,
#   BASELINE_WINDOW=<earlier kestrane>: earlier builds to run in the same rounds
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DKESTRANE_BENCH=ON -DKESTRANE_WERROR=ON -DKESTRANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --parallel "$(nproc)" >/dev/null

echo "== page stages (no network)"
build-bench/bench/page_stages_bench --benchmark_min_time=0.5 2>/dev/null
echo
echo "== hostile pages against a memmem pass over the same bytes"
build-bench/bench/hostile_pages_bench
echo
echo "== cookie files: save and load (no network)"
build-bench/bench/cookie_store_bench --benchmark_min_time=0.2 2>/dev/null
echo
echo "== the redirect probe against an endless body (loopback)"
build-bench/bench/redirect_probe_bench 2>/dev/null
echo
echo "== a whole parse over loopback against the curl floor"
bash bench/cli_vs_curl.sh
echo
echo "== a batch of 200 addresses, every response held 50 ms: --jobs 1, 16, 64"
bash bench/cli_batch.sh
echo
echo "== the window program under Xvfb"
bash bench/window_start.sh
