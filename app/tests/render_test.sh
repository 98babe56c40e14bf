#!/usr/bin/env bash
# The Linux program from outside: a stepped render is the same image every time, options are
# checked before anything starts, and the Windows switches keep their exit codes.
set -u
unset DISPLAY # all of this works without an X display
epiphase=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # description, then a command that must succeed
    local description=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $description"; fi
}
exit_code() { "$epiphase" "${@:2}" >"$work/out" 2>"$work/err"; [ $? -eq "$1" ]; }

"$epiphase" --render "$work/a.png" --size 320x200 --frames 40 --clock-step 16
"$epiphase" --render "$work/b.png" --size 320x200 --frames 40 --clock-step 16
check "a stepped render repeats" cmp -s "$work/a.png" "$work/b.png"
size=$(od -An -tx1 -j16 -N8 "$work/a.png" | tr -d ' \n') # IHDR width and height
check "the image has the size asked for" [ "$size" = 00000140000000c8 ]
"$epiphase" --render "$work/c.png" --size 320x200 --frames 41 --clock-step 16
check "another frame is another image" bash -c "! cmp -s '$work/a.png' '$work/c.png'"
check "a bad size is refused with exit 2" exit_code 2 --render "$work/x.png" --size 0x9
check "the refusal names the option" grep -q -- "--size" "$work/err"
check "an unknown option exits 2" exit_code 2 --frobnicate
check "an unwritable file fails" exit_code 1 --render /nonexistent/dir/x.png
check "help exits 0" exit_code 0 --help
check "/c exits -1" exit_code 255 /c
check "/a exits -1 (not the Windows 9x family)" exit_code 255 /a
check "/x exits -1" exit_code 255 /x
check "/s without a display exits 2" exit_code 2 /s
check "/p without a display exits 2" exit_code 2 /p 1234
check "no arguments (a window of its own) without a display exits 2" exit_code 2
check "the missing display is named" grep -q "DISPLAY" "$work/err"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
