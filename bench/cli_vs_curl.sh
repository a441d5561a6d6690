#!/usr/bin/env bash
# A whole parse by kestrane-cli over loopback (the share page, the redirect
# probe of address 1, the status probe and the redirect probe of address 2)
# against the floor: the same four HTTP exchanges made by one curl process.
# Runs them side by side in interleaved rounds (bench/paired_runs.cpp) and prints
# wall time, CPU time and peak RSS with their ratios to the floor.
# Needs root (a mirror on port 80).
#   RUNS=30                  rounds (at least 30 for the goal)
#   BASELINE=path/to/kestrane-cli   an earlier build to run in the same rounds
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-30}
mirror=127.0.0.90

out=$(mktemp -d)
site=
trap 'kill $site 2>/dev/null; rm -rf "$out"' EXIT
# Port 80 may still be held for a moment by a site that is shutting down.
for _ in $(seq 20); do
  build-bench/tools/kestrane-demo-site --mirror-host $mirror >"$out/site" 2>/dev/null &
  site=$!
  for _ in $(seq 20); do [ -s "$out/site" ] && break; kill -0 $site 2>/dev/null || break; sleep 0.1; done
  [ -s "$out/site" ] && break
  sleep 0.3
done
share=$(head -n 1 "$out/site")
if [ -z "$share" ]; then
  echo "cli_vs_curl: the demo site did not start (is port 80 of $mirror taken?)" >&2
  exit 1
fi
json=$(build-bench/src/kestrane-cli --json "$share")
address1=$(python3 -c 'import json,sys; print(json.loads(sys.argv[1])["address1"])' "$json")
address2=$(python3 -c 'import json,sys; print(json.loads(sys.argv[1])["address2"])' "$json")
echo "parse: $json"

# What kestrane-cli loads beyond curl, and what the dynamic loader spends on each.
libs() { ldd "$1" | awk '{print $1}' | sort; }
echo "libraries kestrane-cli maps beyond curl's: $(comm -23 <(libs build-bench/src/kestrane-cli) <(libs "$(command -v curl)") | tr '\n' ' ')"
reloc() { LD_DEBUG=statistics "$@" 2>&1 >/dev/null | awk '/number of relocations:/ {r=$NF} /total startup time/ {c=$(NF-1)} END {print r " relocations, " c " cycles in the loader"}'; }
echo "kestrane-cli: $(reloc build-bench/src/kestrane-cli "$share"); curl: $(reloc curl -s -o /dev/null "$share")"

# The floor: page, redirect probe 1, status probe, redirect probe 2, one process.
floor="curl -s -o /dev/null $share --next -s -o /dev/null $address1 --next -s -o /dev/null $address2 --next -s -o /dev/null $address2"
commands=("curl-floor=$floor" "kestrane-cli=build-bench/src/kestrane-cli $share")
if [ -n "${BASELINE:-}" ]; then commands+=("baseline-cli=$BASELINE $share"); fi
# What loading the C++ runtime costs by itself: libcurl started and stopped by
# a C program, and by the same program with libstdc++ (and libm, libgcc_s) loaded.
commands+=("curl-init-c=build-bench/bench/curl_init_c" "curl-init-c+libstdc++=build-bench/bench/curl_init_with_libstdcxx")
build-bench/bench/paired_runs --rounds "$runs" --warmup 3 "${commands[@]}" | tee "$out/pairs"
python3 - "$out/pairs" <<'PY'
import re, sys
init = {}
for line in open(sys.argv[1]):
    if line.lstrip().startswith("curl-init"):
        fields = re.search(r"^\s*(\S+)\s+wall\s+([0-9.]+) ms\s+CPU\s+([0-9.]+) ms\s+peak RSS\s+([0-9.]+) MB", line)
        init[fields.group(1)] = (float(fields.group(3)), float(fields.group(4)))
    m = re.search(r"kestrane-cli +wall .*peak RSS +([0-9.]+) MB.*wall ([0-9.]+)x .*CPU ([0-9.]+)x", line)
    if m and not line.lstrip().startswith("baseline"):
        rss, wall, cpu = float(m.group(1)), float(m.group(2)), float(m.group(3))
        ok = lambda good: "met" if good else "NOT met"
        print(f"goal: wall <= 1.10x the floor: {wall:.2f}x, {ok(wall <= 1.10)}; CPU <= 1.10x: {cpu:.2f}x, {ok(cpu <= 1.10)};"
              f" peak RSS <= 12 MB: {rss:.1f} MB, {ok(rss <= 12)}")
(c_cpu, c_rss), (cxx_cpu, cxx_rss) = init["curl-init-c"], init["curl-init-c+libstdc++"]
print(f"loading libstdc++ alone: +{cxx_cpu - c_cpu:.2f} ms CPU ({cxx_cpu / c_cpu:.2f}x) and +{cxx_rss - c_rss:.1f} MB"
      f" for a program that only starts libcurl")
PY
