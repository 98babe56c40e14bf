#!/usr/bin/env bash
# The two downloads as built (scripts/debian-package.sh, scripts/windows-archive.sh):
#  1. one version everywhere: the project's, the version record of both screen savers, the
#     Linux program's --version, its manual page, the Debian package and the archive's name;
#  2. the archive holds the savers just built, the licence and the guide in Windows line endings;
#  3. each saver from the archive starts full screen under Wine with /s and ends on a key (the
#     32-bit one where this machine can run 32-bit programs).
# Runs on an X display. Usage: scripts/release-checks.sh
set -u
cd "$(dirname "$0")/.."
source app/tests/checks.sh
source scripts/wine-env.sh build/wine-prefix
trap 'rm -rf "$work"; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
echo "== Version $version"
deb=build/epiphase_${version}_$(dpkg --print-architecture).deb
archive=build/epiphase-$version-windows.zip
check "the Debian package is named for it" [ -f "$deb" ]
check "the Windows archive is named for it" [ -f "$archive" ]
[ "$failed" -eq 0 ] || { finish; exit; } # nothing more to read
check "the Debian package says it" [ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
dpkg-deb -x "$deb" "$work/deb"
check "the packaged program's --version says it" \
    [ "$("$work/deb/usr/libexec/xscreensaver/epiphase" --version)" = "epiphase $version" ]
check "the packaged manual page says it" bash -c "gzip -dc \
    '$work/deb/usr/share/man/man6/epiphase.6.gz' | head -n 1 | grep -qF '\"Epiphase $version\"'"

unzip -q "$archive" -d "$work/zip"
# The version record as the binutils read it back into resource script.
record_says() { # .scr, then a line the record must hold
    x86_64-w64-mingw32-windres -i "$1" -O rc | sed 's/^[[:space:]]*//' | grep -qFx "$2"
}
for bits in 32 64; do
    scr=$work/zip/$bits-bit/epiphase.scr
    for line in "FILEVERSION ${version//./, }, 0" "PRODUCTVERSION ${version//./, }, 0" \
        "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\""; do
        check "the $bits-bit saver's version record holds $line" record_says "$scr" "$line"
    done
done

echo "== The Windows archive"
check "it holds the two savers, the licence and the guide" [ "$(unzip -Z1 "$archive" | sort |
    tr '\n' ' ')" = "32-bit/epiphase.scr 64-bit/epiphase.scr LICENSE.txt README.txt " ]
check "its 32-bit saver is the one built" cmp -s "$work/zip/32-bit/epiphase.scr" build-win/app/epiphase.scr
check "its 64-bit saver is the one built" cmp -s "$work/zip/64-bit/epiphase.scr" build-win64/app/epiphase.scr
check "its licence is LICENSE in Windows line endings" cmp -s "$work/zip/LICENSE.txt" \
    <(sed 's/$/\r/' LICENSE)
check "its guide is in Windows line endings" bash -c "[ -s '$work/zip/README.txt' ] &&
    ! grep -qv \$'\r\$' '$work/zip/README.txt'"

# Starts the saver full screen, waits for its window, presses a key: it must end with 0.
starts_and_ends() { # loader, .scr
    "$1" "$2" /s &
    local saver=$!
    timeout 30 xdotool search --sync --name '^Screen Saver$' >/dev/null &&
        xdotool key space && timeout 30 tail --pid="$saver" -f /dev/null
    local shown=$? code
    [ "$shown" -eq 0 ] || /usr/lib/wine/wineserver -k 2>/dev/null # no window, or it stayed
    wait "$saver"
    code=$?
    [ "$shown" -eq 0 ] && [ "$code" -eq 0 ]
}
check "the 64-bit saver from the archive starts with /s and ends on a key" \
    starts_and_ends /usr/lib/wine/wine64 "$work/zip/64-bit/epiphase.scr"
if can_run_32bit_wine; then
    check "the 32-bit saver from the archive starts with /s and ends on a key" \
        starts_and_ends /usr/lib/wine/wine "$work/zip/32-bit/epiphase.scr"
else
    echo "NOTICE: this machine cannot execute 32-bit programs; the 32-bit saver is not started."
fi
finish
