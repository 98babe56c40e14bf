#!/usr/bin/env bash
# Runs one suite N times in a row on trees ./test.sh built, and prints every failing run with its
# failing lines, then how many passed: a check that fails now and then shows itself here.
#
#   scripts/repeat.sh SUITE N
# SUITE is e2e (the Windows end-to-end harness under Wine, on the tree ./test.sh runs) or the
# name of a native CTest test (ctest -N --test-dir build lists them), run under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ $# -ne 2 || ! $2 =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/repeat.sh SUITE N" >&2
    exit 2
fi
suite=$1
runs=$2
log=$(mktemp)
trap 'rm -f "$log"' EXIT

if [[ $suite == e2e ]]; then
    source scripts/wine-env.sh build/wine-prefix
    tree=build-win loader=/usr/lib/wine/wine
    can_run_32bit_wine || tree=build-win64 loader=/usr/lib/wine/wine64
    run_once() {
        xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
            bash -c '"$1" "$2/app/windows_e2e.exe" "$2/app/epiphase.scr"; status=$?
                     /usr/lib/wine/wineserver -k 2>/dev/null; exit $status' _ "$loader" "$tree"
    }
    failing_lines() { grep -E '^FAILED' "$log" || tail -n 5 "$log"; }
else
    run_once() {
        xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
            ctest --test-dir build --output-on-failure -R "^${suite}\$" --no-tests=error
    }
    failing_lines() { grep -E 'FAILED|Failure|Expected|Which is|error|No tests' "$log" | head -n 20; }
fi

passed=0
for ((run = 1; run <= runs; run++)); do
    if run_once >"$log" 2>&1; then
        passed=$((passed + 1))
    else
        echo "run $run of $runs failed:"
        { failing_lines || true; } | sed 's/^/    /'
    fi
done
echo "$suite: $passed of $runs runs passed"
[[ $passed -eq $runs ]]
