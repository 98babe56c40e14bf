#!/usr/bin/env bash
# Runs the Windows side of the tests under Wine, on the X display it is given (Wine needs one
# for windows): the GDI comparison with the stand-in, then the Windows unit suites.
# Usage: scripts/windows-tests.sh WINDOWS_TREE WINE_LOADER
set -euo pipefail
tree=$1
loader=$2
source scripts/wine-env.sh build/wine-prefix
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

echo "== GDI under Wine against the stand-in"
"$loader" "$tree/platform/gdi_cases.exe" > "$tree/gdi_record.txt"
build/platform/gdi_cases "$tree/gdi_record.txt"

ctest --test-dir "$tree" --output-on-failure
