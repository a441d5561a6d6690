#!/usr/bin/env bash
# Time from start to the window being shown, and peak memory, of the window
# program under Xvfb; and the peak memory of a kestrane-cli parse.
# KESTRANE_QUIT_WHEN_SHOWN=1 makes the window program leave right after its
# window is up, so one run measures start to shown (plus a short tear-down).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-20}
out=$(mktemp -d)
trap 'kill ${xvfb:-} ${site:-} 2>/dev/null; rm -rf "$out"' EXIT

Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:97 KESTRANE_QUIT_WHEN_SHOWN=1
hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/w.json" build-bench/src/kestrane >/dev/null
python3 -c "import json,sys; r=json.load(open(sys.argv[1]))['results'][0]; print('window start to shown: median %.0f ms (goal < 250 ms)' % (r['median']*1000))" "$out/w.json"
/usr/bin/time -f "%M" -o "$out/wmem" build-bench/src/kestrane
echo "window peak memory: $(( $(cat "$out/wmem") / 1024 )) MB (goal < 60 MB)"

build-bench/tools/kestrane-demo-site >"$out/site" 2>/dev/null &
site=$!
for _ in $(seq 50); do [ -s "$out/site" ] && break; sleep 0.1; done
/usr/bin/time -f "%M" -o "$out/cmem" build-bench/src/kestrane-cli "$(head -n 1 "$out/site")" >/dev/null
echo "kestrane-cli peak memory: $(( $(cat "$out/cmem") / 1024 )) MB (goal < 15 MB)"
