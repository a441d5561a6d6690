#!/usr/bin/env bash
# Configures and builds one flavour of Kestrane.
#   scripts/build.sh [release|asan]   (default: release)
set -euo pipefail
cd "$(dirname "$0")/.."

flavour=${1:-release}
case "$flavour" in
  release) dir=build; extra=() ;;
  asan) dir=build-asan; extra=(-DKESTRANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  *) echo "build.sh: unknown flavour '$flavour' (release or asan)" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" -G Ninja -DKESTRANE_WERROR=ON "${extra[@]}" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
