#!/usr/bin/env bash
# Builds the release flavour with the benchmarks and runs all of them:
# the page stages (Google Benchmark), a whole kestrane-cli parse against the
# curl floor, and the window's start time and memory. Run as root on a quiet
# machine; not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -G Ninja -DKESTRANE_BENCH=ON -DKESTRANE_WERROR=ON -DKESTRANE_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --parallel "$(nproc)" >/dev/null

echo "== page stages (no network)"
build-bench/bench/page_stages_bench --benchmark_min_time=0.5 2>/dev/null
echo
echo "== a whole parse over loopback against the curl floor"
bash bench/cli_vs_curl.sh
echo
echo "== the window program under Xvfb, and kestrane-cli's memory"
bash bench/window_start.sh
