#!/usr/bin/env bash
# The saver's load at 1920x1080 on Xvfb, full screen (/s) and in the root window (-root, as
# xscreensaver runs it): frames per second reached and CPU time per second of the saver and of
# the X server, with the default pacing and with -delay 0.
#
#   bench/pacing_bench.sh [BUILD-DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
work=$(mktemp -d)
Xvfb -displayfd 5 -screen 0 1920x1080x24 -noreset -nolisten tcp 5>"$work/display" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
while [ ! -s "$work/display" ]; do sleep 0.1; done
export DISPLAY=:$(cat "$work/display")

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
