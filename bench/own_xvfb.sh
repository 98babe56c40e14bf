# Sourced by the benchmarks: an Xvfb of their own, WIDTHxHEIGHT at depth 24, made the DISPLAY.
# Sets `work` (a scratch folder) and `server` (its process); the caller's EXIT trap ends both.
# Usage: start_own_xvfb WIDTHxHEIGHT
start_own_xvfb() {
    work=$(mktemp -d)
    Xvfb -displayfd 5 -screen 0 "$1x24" -noreset -nolisten tcp 5>"$work/display" 2>/dev/null &
    server=$!
    while [ ! -s "$work/display" ]; do sleep 0.1; done
    export DISPLAY=:$(cat "$work/display")
}
