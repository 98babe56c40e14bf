#!/usr/bin/env bash
# Makes app/epiphase.ico from the frame the saver itself renders for the Linux icon
# (app/package.cmake), so that both show the same picture.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target icon make_icon
build/tools/make_icon build/app/epiphase.png app/epiphase.ico
echo "wrote app/epiphase.ico"
