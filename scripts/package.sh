#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package build-deb/rondel_<version>_<arch>.deb: a build of the programs in
# build-deb/ with Debian's compiler and linker flags (hardening included), then cpack -G DEB,
# then lintian when it is installed (apt-get install lintian).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads CXXFLAGS and LDFLAGS at the first configure; the preprocessor's flags
# (_FORTIFY_SOURCE) go along with the compiler's.
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DRONDEL_TESTS=OFF -DRONDEL_BENCH=OFF "$@"
cmake --build build-deb
(cd build-deb && cpack -G DEB)
deb=$(ls -t build-deb/rondel_*.deb | head -n 1)
if command -v lintian >/dev/null; then
  lintian --info "$deb"
fi
echo "package: $deb"
