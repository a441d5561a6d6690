#!/usr/bin/env bash
# Installs what is missing, builds Kestrane and starts the window.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
bash scripts/build.sh release

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display here, so no window; try the command-line front end:" >&2
  echo "  build/src/kestrane-cli --help" >&2
  exit 1
fi
exec build/src/kestrane
