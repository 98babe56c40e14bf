#!/usr/bin/env bash
# The Windows screen saver's pace and load under Wine, full screen (/s) on its own Xvfb at
# 1280x1024: frames per second (the paints its message loop takes, counted from outside by
# windows_pacing_probe) and CPU time per second of the saver's process (from /proc/PID/stat).
#
#   bench/windows_pacing_bench.sh [WINDOWS-TREE] [SECONDS]
# WINDOWS-TREE is build-win (32-bit Wine) or build-win64 (64-bit Wine), built by ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build-win}
seconds=${2:-10}
loader=/usr/lib/wine/wine
[[ $tree == *win64* ]] && loader=/usr/lib/wine/wine64
source scripts/wine-env.sh build/wine-prefix
source bench/own_xvfb.sh
trap '/usr/lib/wine/wineserver -k 2>/dev/null; kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
start_own_xvfb 1280x1024

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The probe ends the saver when its input closes: after the second reading.
mkfifo "$work/input"
"$loader" "$tree/bench/windows_pacing_probe.exe" "$tree/app/epiphase.scr" "$seconds" \
    <"$work/input" >"$work/probe" &
probe=$!
exec 6>"$work/input"
await() {
    while ! grep -q "$1" "$work/probe"; do
        kill -0 "$probe" 2>/dev/null || { cat "$work/probe"; exit 1; }
        sleep 0.1
    done
}
await counting
saver=$(pgrep -f 'epiphase\.scr.? /s' | head -n 1)
before=$(cpu_ticks "$saver")
started=$(date +%s.%N)
await frames/s
after=$(cpu_ticks "$saver")
ended=$(date +%s.%N)
exec 6>&-
wait "$probe"
share=$(echo "100 * ($after - $before) / $(getconf CLK_TCK) / ($ended - $started)" | bc -l)
printf '%s /s at 1280x1024: %s, saver CPU %.1f%% of a core\n' "$tree" \
    "$(tail -n 1 "$work/probe")" "$share"
