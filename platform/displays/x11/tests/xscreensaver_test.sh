#!/usr/bin/env bash
# The real xscreensaver daemon, configured to run only "epiphase --root": activating it runs our
# program inside the daemon's window, deactivating it ends the program; the real settings program
# previews it.
set -u
source "$(dirname "$0")/../../../../app/tests/checks.sh" # the shell tests' own checks
chmod 755 "$work"
cp "$1" "$work/epiphase"
mkdir -p "$work/home"
printf '%s:\t%s\n' mode one selected 0 timeout 0:30:00 lock False splash False fade False \
    unfade False programs 'epiphase --root --delay 20000 \n' >"$work/home/.xscreensaver"
chmod -R a+rwX "$work"

# The daemon refuses to launch anything as root: it runs as nobody then, on a display of its own.
as_user() {
    local user=()
    [ "$(id -u)" -eq 0 ] && user=(runuser -u nobody --)
    "${user[@]}" env HOME="$work/home" PATH="$work:/usr/bin:/bin" DISPLAY="$display" "$@"
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
stopped() { ! running; }
wait_for() { # seconds, then a command
    for ((tries = $1 * 10; tries > 0; tries--)); do "${@:2}" && return 0; sleep 0.1; done
    return 1
}
in_daemon_window() {
    tr '\0' '\n' </proc/"$(pgrep -f '^epiphase --root' | head -1)"/environ |
        grep -q '^XSCREENSAVER_WINDOW='
}

as_user xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
wait_for 10 as_user xscreensaver-command -version >/dev/null 2>&1
check "no saver runs before activation" stopped
# The daemon may answer before it is ready to blank; ask again, ten times at most.
for attempt in {1..10}; do
    as_user xscreensaver-command -activate >/dev/null 2>&1
    wait_for 3 running && break
done
check "activating the daemon runs epiphase --root" running
check "epiphase draws in the daemon's window" wait_for 5 in_daemon_window
sleep 1 # nothing to wait for: the daemon must leave it running, a second is ample to see
check "it keeps running while the saver is active" running
as_user xscreensaver-command -deactivate >/dev/null
check "deactivating ends it" wait_for 10 stopped

# xscreensaver-settings previews the selected hack by running its command with --window-id added.
previewing() { pgrep -f "^epiphase --root --delay 20000 --window-id 0x" >/dev/null; }
as_user timeout 60 xscreensaver-settings >"$work/settings.log" 2>&1 &
check "xscreensaver-settings previews it: epiphase --root ... --window-id 0x..." wait_for 20 previewing

finish
