#!/usr/bin/env bash
# Runs the Windows side of the tests under Wine, on the X display it is given (Wine needs one
# for windows): the saver's frames against the stand-in, the real saver, then the unit suites.
# Usage: scripts/windows-tests.sh WINDOWS_TREE WINE_LOADER
set -euo pipefail
tree=$1
loader=$2
source scripts/wine-env.sh build/wine-prefix
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

echo "== The saver's frames through GDI under Wine against the stand-in"
for case in "640 480 300 16" "152 112 100 16" "1024 768 1000 16" "64 48 12000 16"; do
    read -r width height frames step <<< "$case"
    "$loader" "$tree/animation/frame_cases.exe" $case "$tree/frame-${width}x${height}.ppm"
    build/animation/frame_cases $case --compare "$tree/frame-${width}x${height}.ppm"
done

echo "== The same frames with the floating-point unit set otherwise before every frame, as a DLL might"
"$loader" "$tree/animation/frame_cases.exe" 1024 768 1000 16 "$tree/frame-foreign.ppm" \
    --foreign-arithmetic
build/animation/frame_cases 1024 768 1000 16 --compare "$tree/frame-foreign.ppm"
cmp "$tree/frame-1024x768.ppm.model" "$tree/frame-foreign.ppm.model"
echo "the model's numbers after the last frame: identical to the bit"

echo "== The real screen saver under Wine, driven from outside"
"$loader" "$tree/app/windows_e2e.exe" "$tree/app/epiphase.scr"

ctest --test-dir "$tree" --output-on-failure
