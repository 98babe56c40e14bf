#!/usr/bin/env bash
# Installs what is missing, builds, and runs the saver: in a window of its own on the Wayland
# compositor or the X display, or, without either, renders a frame headless and prints the
# image's path.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target epiphase
if [[ -n "${WAYLAND_DISPLAY:-}" || -n "${DISPLAY:-}" ]]; then
    exec build/app/epiphase -window
fi
image=$PWD/build/epiphase-frame.png
build/app/epiphase --render "$image" --size 1024x768 --frames 600 --clock-step 16
echo "$image"
