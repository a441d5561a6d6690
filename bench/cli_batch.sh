#!/usr/bin/env bash
# A batch of 200 addresses against loopback servers that hold every response
# 50 ms (each parse makes four exchanges: page, two redirect probes and the
# status probe on port 80), parsed by kestrane-cli with --jobs 1, 16 and 64.
# Prints the medians, the speed-ups over --jobs 1 and the peak memory of the
# --jobs 64 run. Needs root (a mirror on port 80) and the build-bench tree.
#   COUNT=200 DELAY_MS=50 RUNS=5 RUNS_ONE=2 bash bench/cli_batch.sh
set -euo pipefail
cd "$(dirname "$0")/.."
count=${COUNT:-200}
delay=${DELAY_MS:-50}
runs=${RUNS:-5}
runs_one=${RUNS_ONE:-2}
bin=${BIN:-build-bench}
mirror=127.0.0.92

out=$(mktemp -d)
site=
trap 'if [ -n "$site" ]; then kill "$site" 2>/dev/null; fi; rm -rf "$out"' EXIT
# Port 80 may still be held for a moment by a site that is shutting down.
for _ in $(seq 20); do
  "$bin/bench/batch-site" --count "$count" --delay-ms "$delay" --mirror-host $mirror >"$out/site" 2>"$out/site.err" &
  site=$!
  for _ in $(seq 50); do grep -q '^ready$' "$out/site" 2>/dev/null && break; kill -0 "$site" 2>/dev/null || break; sleep 0.1; done
  grep -q '^ready$' "$out/site" 2>/dev/null && break
  site=
  sleep 0.3
done
if [ -z "$site" ]; then
  echo "cli_batch: the batch site did not start (is port 80 of $mirror taken?): $(cat "$out/site.err")" >&2
  exit 1
fi
grep -v '^ready$' "$out/site" >"$out/addresses"

# One run first: every address must give all three addresses.
"$bin/src/kestrane-cli" --json -j 16 - <"$out/addresses" >"$out/check.jsonl"
python3 - "$out/check.jsonl" "$count" <<'PY'
import json, sys
rows = [json.loads(l) for l in open(sys.argv[1])]
bad = [r["share"] for r in rows if not (r["address1"] and r["address2"] and r["address3"])]
assert len(rows) == int(sys.argv[2]) and not bad, f"{len(rows)} results, incomplete: {bad[:3]}"
PY

cli="$bin/src/kestrane-cli"
hyperfine --style basic --runs "$runs_one" --export-json "$out/one.json" \
  -n jobs-1 "$cli -j 1 - < $out/addresses" >/dev/null
hyperfine --style basic --warmup 1 --runs "$runs" --export-json "$out/many.json" \
  -n jobs-16 "$cli -j 16 - < $out/addresses" -n jobs-64 "$cli -j 64 - < $out/addresses" >/dev/null
/usr/bin/time -f "%M" -o "$out/mem64" "$cli" -j 64 - <"$out/addresses" >/dev/null
/usr/bin/time -f "%M" -o "$out/mem1" "$cli" -j 1 - <"$out/addresses" >/dev/null

python3 - "$out/one.json" "$out/many.json" "$out/mem64" "$out/mem1" "$count" "$delay" <<'PY'
import json, sys
r = {}
for f in sys.argv[1:3]:
    r.update({x["command"]: x for x in json.load(open(f))["results"]})
one = r["jobs-1"]["median"]
print(f"{sys.argv[5]} addresses, every response held {sys.argv[6]} ms")
print(f"--jobs 1:  median {one:.2f} s")
for name, goal in (("jobs-16", 12), ("jobs-64", 40)):
    m = r[name]["median"]
    print(f"--{name.replace('-', ' ')}: median {m:.3f} s, {one / m:.1f}x faster than --jobs 1 (goal >= {goal}x)")
mem64 = int(open(sys.argv[3]).read().split()[-1]) / 1024
mem1 = int(open(sys.argv[4]).read().split()[-1]) / 1024
print(f"peak memory: --jobs 64 {mem64:.1f} MB (goal < 40 MB), --jobs 1 {mem1:.1f} MB")
PY
