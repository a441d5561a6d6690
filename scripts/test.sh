#!/usr/bin/env bash
# Installs what is missing, builds Kestrane and runs every test: each fuzz
# target over its seeds and kept findings, the whole suite under
# AddressSanitizer and UBSan, the Debian package (its build and lintian),
# then the suite on the normal build (whose ctest summary ends the output). ctest starts every test binary in a
# network namespace of its own (tests/private_network.sh), so the tests that
# serve on port 80 need neither root nor free ports on the machine; run it as
# root or as any user (once root has run scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

echo "== fuzz targets over their seeds (clang, ASan, UBSan)"
bash scripts/fuzz.sh --seeds

echo "== the suite under AddressSanitizer and UBSan"
bash scripts/build.sh asan
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$PWD/../tests/lsan.supp" ctest --output-on-failure --parallel 2)

echo "== the Debian package, built with Debian's hardening flags, and lintian"
bash scripts/package.sh

echo "== the suite"
bash scripts/build.sh release
cd build && ctest --output-on-failure --parallel 2
