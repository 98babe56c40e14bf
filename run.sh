#!/usr/bin/env bash
# Installs what is missing to build and run the program (what the tests need is ./test.sh's),
# builds, and runs the saver: in a window of its own on the Wayland compositor or the X display,
# or, without either, renders a frame headless and prints the image's path.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --run
# A tree made here holds the program alone, whose libraries --run installs; a tree that
# ./test.sh made keeps its tests.
program_only=()
[[ -f build/CMakeCache.txt ]] || program_only=(-DEPIPHASE_TESTS=OFF)
cmake -S . -B build -G Ninja "${program_only[@]}" >/dev/null
cmake --build build --target epiphase
if [[ -n "${WAYLAND_DISPLAY:-}" || -n "${DISPLAY:-}" ]]; then
    exec build/app/epiphase -window
fi
image=$PWD/build/epiphase-frame.png
build/app/epiphase --render "$image" --size 1024x768 --frames 600 --clock-step 16
echo "$image"
