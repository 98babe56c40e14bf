#!/usr/bin/env bash
# The real xscreensaver daemon, configured to run only "epiphase --root": activating it runs our
# program inside the daemon's window, deactivating it ends the program.
set -u
epiphase=$1
work=$(mktemp -d)
chmod 755 "$work"
cp "$epiphase" "$work/epiphase"
mkdir -p "$work/home"
cat > "$work/home/.xscreensaver" <<'CONFIG'
mode:		one
selected:	0
timeout:	0:30:00
lock:		False
splash:		False
fade:		False
unfade:		False
programs:	epiphase --root --delay 20000 \n
CONFIG
chmod -R a+rwX "$work"

# The daemon refuses to launch anything as root: it runs as nobody then, on a display of its own.
as_user() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u nobody -- env HOME="$work/home" PATH="$work:/usr/bin:/bin" DISPLAY="$display" "$@"
    else
        env HOME="$work/home" PATH="$work:/usr/bin:/bin" DISPLAY="$display" "$@"
    fi
}
exec 3< <(Xvfb -displayfd 1 -screen 0 800x600x24 -ac -noreset -nolisten tcp 2>/dev/null)
read -r number <&3
display=:$number
cleanup() {
    as_user xscreensaver-command -exit >/dev/null 2>&1
    pkill -f "Xvfb -displayfd 1 -screen 0 800x600x24 -ac" 2>/dev/null
    pkill -f "$work/epiphase" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

running() { pgrep -f "^epiphase --root" >/dev/null; }
wait_for() { # seconds, then a command
    local tries=$(($1 * 10))
    shift
    while [ $tries -gt 0 ]; do "$@" && return 0; sleep 0.1; tries=$((tries - 1)); done
    return 1
}

passed=0
failed=0
check() {
    if "${@:2}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

as_user xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
wait_for 10 as_user xscreensaver-command -version >/dev/null 2>&1
check "no saver runs before activation" bash -c "! pgrep -f '^epiphase --root' >/dev/null"
# The daemon may answer before it is ready to blank; ask again, ten times at most.
activated=false
for attempt in 1 2 3 4 5 6 7 8 9 10; do
    as_user xscreensaver-command -activate >/dev/null 2>&1
    if wait_for 3 running; then activated=true; break; fi
done
check "activating the daemon runs epiphase --root" $activated
check "epiphase draws in the daemon's window" wait_for 5 bash -c \
    "tr '\0' '\n' < /proc/\$(pgrep -f '^epiphase --root' | head -1)/environ | grep -q '^XSCREENSAVER_WINDOW='"
sleep 1
check "it keeps running while the saver is active" running
as_user xscreensaver-command -deactivate >/dev/null
check "deactivating ends it" wait_for 10 bash -c "! pgrep -f '^epiphase --root' >/dev/null"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
