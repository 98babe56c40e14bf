#!/usr/bin/env bash
# Makes app/epiphase.ico from a frame the saver itself renders.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target epiphase make_icon
build/app/epiphase --render build/icon.png --size 256x256 --frames 700 --clock-step 16
build/tools/make_icon build/icon.png app/epiphase.ico
echo "wrote app/epiphase.ico"
