#!/usr/bin/env bash
# The window program under Xvfb: time from exec to its window being shown,
# and its peak memory, which it reaches with the first paint.
# KESTRANE_QUIT_WHEN_SHOWN=1 makes the window program leave right after its
# window is up, so one run measures start to shown (plus a short tear-down).
# Runs side by side with an earlier build when BASELINE_WINDOW names one.
#   RUNS=20   rounds
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-20}
out=$(mktemp -d)
trap 'kill ${xvfb:-} 2>/dev/null; rm -rf "$out"' EXIT

Xvfb :97 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY=:97 KESTRANE_QUIT_WHEN_SHOWN=1
# The first command is the "floor" of the comparison: with a baseline, the earlier build.
commands=()
if [ -n "${BASELINE_WINDOW:-}" ]; then commands+=("baseline-window=$BASELINE_WINDOW"); fi
commands+=("window=build-bench/src/kestrane")
if [ ${#commands[@]} -eq 1 ]; then commands+=("window-again=build-bench/src/kestrane"); fi
build-bench/bench/paired_runs --rounds "$runs" --warmup 3 "${commands[@]}" | tee "$out/pairs"
python3 - "$out/pairs" <<'PY'
import re, sys
rows, per_round = {}, None
for line in open(sys.argv[1]):
    m = re.match(r"\s+(\S+)\s+wall\s+([0-9.]+) ms.*peak RSS\s+([0-9.]+) MB", line)
    if m:
        rows[m.group(1)] = (float(m.group(2)), float(m.group(3)))
        r = re.search(r"wall [0-9.]+x \(per round ([0-9.]+)x\)", line)
        if m.group(1) == "window" and r:
            per_round = float(r.group(1))
wall, rss = rows["window"]
print(f"window: start to shown {wall:.0f} ms (earlier reference: about 85 ms), memory after first paint {rss:.1f} MB"
      f" (goal: no more than 38 MB): {'met' if rss <= 38 else 'NOT met'}")
if "baseline-window" in rows:
    bwall, brss = rows["baseline-window"]
    # The median of the per-round ratios: a busy moment weighs on both runs of a round.
    print(f"goal: no slower and no heavier than the baseline in the same rounds: wall {per_round:.2f}x per round"
          f" ({wall / bwall:.2f}x of the medians), memory {rss - brss:+.1f} MB:"
          f" {'met' if per_round <= 1.03 and rss <= brss + 0.1 else 'NOT met'}")
PY
