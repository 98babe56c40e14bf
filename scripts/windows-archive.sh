#!/usr/bin/env bash
# Builds both Windows screen savers (build-win/, build-win64/) and packs them for download with
# the licence and a short guide, both in Windows line endings:
#   build/epiphase-<version>-windows.zip: 32-bit/epiphase.scr, 64-bit/epiphase.scr, LICENSE.txt,
#   README.txt
# Prints the archive's path.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build-win -j "$jobs"
cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
cmake --build build-win64 -j "$jobs"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-win64/CMakeCache.txt)
archive=$PWD/build/epiphase-$version-windows.zip
staging=build/windows-archive
rm -rf "$staging" build/epiphase-*-windows.zip # no archive of another version stays beside it
mkdir -p "$staging/32-bit" "$staging/64-bit"
cp build-win/app/epiphase.scr "$staging/32-bit/"
cp build-win64/app/epiphase.scr "$staging/64-bit/"
sed 's/$/\r/' LICENSE > "$staging/LICENSE.txt"
sed 's/$/\r/' app/windows/README.txt > "$staging/README.txt"
# -X: no Unix owners or times beyond the zip's own; -D: no folder entries.
(cd "$staging" && zip -q -X -D "$archive" 32-bit/epiphase.scr 64-bit/epiphase.scr LICENSE.txt \
    README.txt)
echo "$archive"
