#!/usr/bin/env bash
# Builds the native tree (build/) and the Debian package from it:
#   build/epiphase_<version>_<architecture>.deb
# Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$(nproc)"
rm -f build/epiphase_*.deb # no package of another version stays beside it
(cd build && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
echo "$PWD/build/epiphase_${version}_$(dpkg --print-architecture).deb"
