#!/usr/bin/env bash
# The Linux program from outside: a stepped render is the same image every time, options are
# checked before anything starts, and the Windows switches keep their exit codes.
set -u
display=${DISPLAY:-} # for -window without fonts; all the rest works without an X display
unset DISPLAY
epiphase=$1
source "$(dirname "$0")/checks.sh"
exit_code() { "$epiphase" "${@:2}" >"$work/out" 2>"$work/err"; [ $? -eq "$1" ]; }

for frame in a:40 b:40 c:41; do
    "$epiphase" --render "$work/${frame%:*}.png" --size 320x200 --frames "${frame#*:}" --clock-step 16
done
check "a stepped render repeats" cmp -s "$work/a.png" "$work/b.png"
size=$(od -An -tx1 -j16 -N8 "$work/a.png" | tr -d ' \n') # IHDR width and height
check "the image has the size asked for" [ "$size" = 00000140000000c8 ]
check "another frame is another image" bash -c "! cmp -s '$work/a.png' '$work/c.png'"
# Frame k sees the clock at k steps: the first frame already one step in, so a first frame a
# thousand seconds in is not the first frame a millisecond in.
for step in 1 1000000; do
    "$epiphase" --render "$work/step$step.png" --size 160x120 --frames 1 --clock-step "$step"
done
check "the first frame sees the clock one step in" bash -c \
    "! cmp -s '$work/step1.png' '$work/step1000000.png'"
check "a bad size is refused with exit 2" exit_code 2 --render "$work/x.png" --size 0x9
check "the refusal names the option" grep -q -- "--size" "$work/err"
check "an unwritable file fails" exit_code 1 --render /nonexistent/dir/x.png
[ -n "${EPIPHASE_NO_RESOURCE_LIMITS:-}" ] ||
    check "a size memory cannot hold exits 2" bash -c "ulimit -v 600000 && \"$epiphase\" --render \
    '$work/x.png' --size 16384x16384 2>'$work/err'; [ \$? -eq 2 ]"
[ -n "${EPIPHASE_NO_RESOURCE_LIMITS:-}" ] ||
    check "... on one line naming the size" bash -c "[ \$(wc -l <'$work/err') -eq 1 ] &&
    grep -q 16384x16384 '$work/err'"
helps() { exit_code 0 "$1" && grep -q '^usage: epiphase' "$work/out"; }
check "--help prints the help" helps --help
check "-help too, as with every hack" helps -help
# One line naming the switch, with the hint, and exit 2: never a silent end.
named() { # then the switches
    exit_code 2 "$@" && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF -- "$1" "$work/err" &&
        grep -qF -- "--help" "$work/err"
}
for switches in "-fps" "-install" "-visual default" "-geometry 640x480" "-sync" "/x" "/p" \
    "-frobnicate" "--frobnicate"; do
    check "$switches is named with exit 2" named $switches
done
# The Windows reader's switches keep their meaning: /c and /a end with -1, as on Windows NT
# (the host tests pin each), and the live ones, without a display here, name the missing one.
for switches in "/c" "-c" "/c:1234" "/a" "/A"; do
    check "$switches exits -1, as on Windows" exit_code 255 $switches
done
live_without_display() { exit_code 2 "$@" && grep -q "DISPLAY" "$work/err"; }
for switches in "/s" "-s" "/S" "/p 1234" "/P1234" "/l 1234"; do
    check "$switches is a live mode" live_without_display $switches
done

# The manual gives every option the help names an entry (the line after .TP), in which it
# stands as a word of its own.
sed -n '/^\.TP$/{n;p}' "$(dirname "$0")/../epiphase.6" >"$work/entries"
for option in $("$epiphase" --help | grep -oE '^  [-/][-a-z]+(, [-/][-a-z]+)*' |
    grep -oE '[-/][-a-z]+'); do
    check "the manual has an entry for $option" \
        grep -qE "(^|[ \"B])${option//-/'\\-'}([ \",\\]|\$)" "$work/entries"
done

# Fonts: DejaVu Sans Mono by name, else monospace, else the stock font; never a word about it.
fonts() { # name, then a fontconfig configuration; renders a.png's frame under it
    printf '<fontconfig>%s</fontconfig>\n' "$2" >"$work/$1.conf"
    FONTCONFIG_FILE="$work/$1.conf" "$epiphase" --render "$work/$1.png" --size 320x200 \
        --frames 40 --clock-step 16 2>"$work/$1.err" && [ ! -s "$work/$1.err" ]
}
dejavu='<dir>/usr/share/fonts/truetype/dejavu</dir><alias binding="strong"><family>monospace</family>
        <prefer><family>DejaVu Sans</family></prefer></alias>' # as fonts-noto-mono makes it
check "monospace another face" fonts other "$dejavu"
check "no DejaVu Sans Mono" fonts sans \
    "$dejavu<selectfont><rejectfont><glob>*Mono*</glob></rejectfont></selectfont>"
check "no font at all" fonts none ""
check "DejaVu Sans Mono whatever monospace is" cmp -s "$work/a.png" "$work/other.png"
check "then monospace, then the stock font" bash -c "! cmp -s '$work/sans.png' '$work/a.png' &&
    ! cmp -s '$work/sans.png' '$work/none.png' && ! cmp -s '$work/none.png' '$work/a.png'"
if [ -n "$display" ]; then
    FONTCONFIG_FILE="$work/none.conf" DISPLAY=$display "$epiphase" -window 2>"$work/window.err" &
    window=$!
    # Once shown (mapped after its creation) and focused; q by XTEST alone: sent to a window
    # that has gone, it can leave the key held down.
    DISPLAY=$display timeout 10 xdotool search --sync --onlyvisible --limit 1 --name '^Epiphase$' \
        windowfocus --sync && DISPLAY=$display xdotool key q
    timeout 10 tail -s 0.1 --pid="$window" -f /dev/null || kill -KILL "$window" # fails the check
    wait "$window"
    check "-window with no font at all runs silently; q ends it with 0" bash -c \
        "[ $? -eq 0 ] && [ ! -s '$work/window.err' ]"
fi

finish
