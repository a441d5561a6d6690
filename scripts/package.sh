#!/usr/bin/env bash
# Builds the Debian package build-package/kestrane_<version>_amd64.deb (as
# root on Debian 12: it installs what it needs first) and checks it with
# lintian. The build uses Debian's hardening flags (dpkg-buildflags).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# All of Debian's hardening (bindnow too); -fno-ident leaves out the .comment
# section that a plain strip keeps.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -fno-ident"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRANE_WERROR=ON -DKESTRANE_TESTS=OFF >/dev/null
cmake --build build-package --parallel "$(nproc)"
(cd build-package && cpack -G DEB >/dev/null)
deb=$(ls build-package/kestrane_*_amd64.deb)
echo "== lintian $deb"
lintian --info --display-info --pedantic "$deb" || { echo "package: lintian found errors" >&2; exit 1; }
echo "wrote $deb"
