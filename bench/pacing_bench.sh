#!/usr/bin/env bash
# The saver's load at 1920x1080 on Xvfb, full screen (/s) and in the root window (-root, as
# xscreensaver runs it): frames per second reached and CPU time per second of the saver and of
# the X server, with the default pacing and with -delay 0.
#
#   bench/pacing_bench.sh [BUILD-DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
source "$(dirname "$0")/own_xvfb.sh"
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
start_own_xvfb 1920x1080

for mode in /s -root; do
    for delay in default 0; do
        options=()
        [ "$delay" = default ] || options=(-delay "$delay")
        "$build/app/epiphase" "$mode" "${options[@]}" &
        saver=$!
        watched=$([ "$mode" = -root ] && echo root || true)
        echo "$mode -delay $delay: $("$build/bench/pacing_probe" "$saver" "$server" "$seconds" $watched)"
        kill "$saver"
        wait "$saver" || true
    done
done
