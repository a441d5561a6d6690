#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, ASan, UBSan) and runs them.
#   scripts/fuzz.sh [SECONDS]   each target for SECONDS (default 60), growing a
#                               working corpus in build-fuzz/corpus/
#   scripts/fuzz.sh --seeds     each target once over its seeds and kept
#                               findings in fuzz/corpus/ (what CI runs)
# A crash, a leak or a hang stops the run; its input lands in build-fuzz/findings/.
# Keep it as a regression case: copy it into fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-60}
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTRANE_FUZZ=ON -DKESTRANE_WERROR=ON -DKESTRANE_TESTS=OFF -DKESTRANE_WINDOW=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --parallel "$(nproc)" >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/findings
status=0
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  binary=build-fuzz/fuzz/$target
  if [ "$mode" = "--seeds" ]; then
    if ! "$binary" -runs=0 -timeout=10 -rss_limit_mb=2048 "$seeds" >"build-fuzz/findings/$target.log" 2>&1; then
      echo "fuzz: $target FAILED on its seeds (build-fuzz/findings/$target.log)"; status=1
    else
      echo "fuzz: $target passed its $(ls "$seeds" | wc -l) seeds"
    fi
  else
    work=build-fuzz/corpus/$target
    mkdir -p "$work"
    if ! "$binary" -max_total_time="$mode" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
         -artifact_prefix="build-fuzz/findings/$target-" "$work" "$seeds" >"build-fuzz/findings/$target.log" 2>&1; then
      echo "fuzz: $target found something (build-fuzz/findings/$target.log)"; status=1
    else
      echo "fuzz: $target ran ${mode}s: $(grep -o 'stat::number_of_executed_units: [0-9]*' "build-fuzz/findings/$target.log" | tail -1 || true)$(tail -n 3 "build-fuzz/findings/$target.log" | grep -o 'Done [0-9]* runs' || true)"
    fi
  fi
done
exit $status
