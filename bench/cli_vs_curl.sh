#!/usr/bin/env bash
# A whole parse by kestrane-cli over loopback (the share page, the redirect
# probe of address 1, the status probe and the redirect probe of address 2)
# against the floor: the same four HTTP exchanges made by one curl process.
# Prints both medians and their ratio. Needs root (a mirror on port 80).
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

# The floor: page, redirect probe 1, status probe, redirect probe 2, one process.
floor="curl -s -o /dev/null $share --next -s -o /dev/null $address1 --next -s -o /dev/null $address2 --next -s -o /dev/null $address2"
hyperfine --style basic --warmup 3 --runs "$runs" --export-json "$out/h.json" \
  -n kestrane-cli "build-bench/src/kestrane-cli $share" -n curl-floor "$floor" >/dev/null
python3 - "$out/h.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
cli, floor = r["kestrane-cli"]["median"], r["curl-floor"]["median"]
print(f"kestrane-cli median {cli*1000:.1f} ms, curl floor median {floor*1000:.1f} ms, ratio {cli/floor:.2f} (goal <= 1.3)")
PY
