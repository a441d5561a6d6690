#!/usr/bin/env bash
# Installs what is missing, builds Kestrane and starts the window.
#   scripts/run.sh          the window when there is a display; without one,
#                           the demo instead
#   scripts/run.sh --demo   start the demo share site on loopback and parse it
#                           with kestrane-cli (no display or network needed)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh release

demo=false
if [ "${1:-}" = "--demo" ]; then
  demo=true
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display here, so no window: showing the demo parse instead" >&2
  demo=true
fi

if ! $demo; then
  exec build/src/kestrane
fi

out=$(mktemp)
build/tools/kestrane-demo-site >"$out" 2>/dev/null &
site=$!
trap 'kill $site 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 50); do
  [ -s "$out" ] && break
  sleep 0.1
done
share=$(head -n 1 "$out")
echo "demo share page: $share"
echo "\$ kestrane-cli $share"
build/src/kestrane-cli "$share"
