#!/usr/bin/env bash
# The saver's load at 1920x1080 on a headless sway (pixman renderer), full screen (/s, a
# layer-shell overlay): frames per second (surface commits in the client's protocol log, which
# costs the saver a little) and CPU time per second of the saver and of the compositor, with the
# default pacing and with -delay 0 (then the compositor's frame callbacks alone pace it).
#
#   bench/wayland_pacing_bench.sh [BUILD-DIR] [SECONDS]
set -euo pipefail
build=${1:-build}
seconds=${2:-10}
work=$(mktemp -d)
printf 'output * resolution 1920x1080\n' > "$work/config"
as_compositor=()
if [ "$(id -u)" = 0 ]; then # sway refuses root
    chown nobody:nogroup "$work"
    chmod 644 "$work/config"
    as_compositor=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
"${as_compositor[@]}" env -u DISPLAY -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$work" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$work/config" 2>/dev/null &
compositor=$!
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$work"' EXIT
until socket=$(ls "$work" | grep -m1 -E '^wayland-[0-9]+$'); do sleep 0.1; done
export XDG_RUNTIME_DIR=$work WAYLAND_DISPLAY=$socket

# User plus system CPU seconds of a process so far (fields 14 and 15 of /proc/PID/stat).
cpu() { awk -v tick="$(getconf CLK_TCK)" '{sub(/.*\) /, ""); print ($12 + $13) / tick}' "/proc/$1/stat"; }

for delay in default 0; do
    options=()
    [ "$delay" = default ] || options=(-delay "$delay")
    WAYLAND_DEBUG=client "$build/app/epiphase" /s "${options[@]}" 2>"$work/protocol.log" &
    saver=$!
    sleep 1 # started and showing
    commits=$(grep -c 'wl_surface@.*\.commit()' "$work/protocol.log" || true)
    saver_cpu=$(cpu "$saver")
    compositor_cpu=$(cpu "$compositor")
    sleep "$seconds"
    frames=$(( $(grep -c 'wl_surface@.*\.commit()' "$work/protocol.log") - commits ))
    awk -v f="$frames" -v s="$seconds" -v a="$saver_cpu" -v b="$(cpu "$saver")" \
        -v c="$compositor_cpu" -v d="$(cpu "$compositor")" -v delay="$delay" 'BEGIN {
        printf "/s -delay %s: %.1f frames/s, saver %.1f%% of a core, compositor %.1f%%\n",
               delay, f / s, 100 * (b - a) / s, 100 * (d - c) / s }'
    kill "$saver"
    wait "$saver" || true
done
