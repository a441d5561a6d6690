#!/usr/bin/env bash
# Installs what is missing, builds Kestrane and runs every test: first the
# normal build, then the same suite under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/../tests/lsan.supp" ctest --output-on-failure --parallel 2)

bash scripts/build.sh release
cd build && ctest --output-on-failure --parallel 2
