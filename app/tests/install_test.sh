#!/usr/bin/env bash
# The Debian package, built by cpack from the native tree: the saver where Debian's xscreensaver
# looks for its hacks and a link to it on the PATH, a menu entry with its icon, dependencies
# computed from the binary, the licence of LICENSE in the machine-readable copyright file, the
# build's contact address and home page wherever they are named;
# unpacked, it runs; lintian finds no error and no copyright warning in it (it warns when run
# as root, which is no error).
set -u
build=$1
version=$2
source "$(dirname "$0")/checks.sh"
licence_text=$work/licence.txt
tail -n +5 "$(dirname "$0")/../../LICENSE" >"$licence_text" # from "Permission is hereby granted"

deb=$work/epiphase_${version}_$(dpkg --print-architecture).deb
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    cat "$work/cpack.log"
check "cpack builds epiphase_<version>_<architecture>.deb" [ -f "$deb" ]
dpkg-deb -x "$deb" "$work/root"
hack=$work/root/usr/libexec/xscreensaver/epiphase
check "the hack is where xscreensaver looks" [ -x "$hack" ]
link=$work/root/usr/bin/epiphase
check "a link to it is on the PATH" [ -L "$link" ]
check "run by that link, the hack answers" bash -c "[ \"\$('$link' --version)\" = 'epiphase $version' ]"
# The menu entry: its command runs from the PATH, its icon is found by name among hicolor's.
entry=$work/root/usr/share/applications/epiphase.desktop
entry_says() { sed -n "s/^$1=//p" "$entry"; }
read -r command arguments <<<"$(entry_says Exec)"
on_path=$work/root/usr/bin/$command
check "the menu entry's command ($command $arguments) is on the PATH" [ -f "$on_path" -a -x "$on_path" ]
icon=$work/root/usr/share/icons/hicolor/256x256/apps/$(entry_says Icon).png
check "its icon is a 256x256 image where hicolor's are found by name" bash -c \
    "[ \"\$(od -An -tx1 -j16 -N8 '$icon' | tr -d ' \n')\" = 0000010000000100 ]"
check "its description runs it with --root" grep -q '<command arg="--root"/>' \
    "$work/root/usr/share/xscreensaver/config/epiphase.xml"
check "the manual page, compressed" bash -c \
    "gzip -dc '$work/root/usr/share/man/man6/epiphase.6.gz' | grep -q '^\.TH EPIPHASE 6'"
check "dependencies from the binary" bash -c "dpkg-deb -f '$deb' Depends | grep -q 'libfreetype6 ('"
check "the unpacked program renders" "$hack" --render "$work/frame.png" --size 64x48
copyright=$work/root/usr/share/doc/epiphase/copyright
check "the copyright file is machine-readable" grep -qx \
    'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright"
check "it gives the text of LICENSE as the Expat (MIT) licence" cmp -s "$licence_text" \
    <(sed '1,/^License: Expat$/d; s/^ //; s/^\.$//' "$copyright")
# The contact address and home page are set once, in the build: every place that names them
# says the same.
configured() { sed -n "s/^$1:STRING=//p" "$build/CMakeCache.txt"; }
homepage=$(configured EPIPHASE_HOMEPAGE)
contact=$(configured EPIPHASE_CONTACT)
check "the package's Homepage and Maintainer are the build's" bash -c \
    "[ \"\$(dpkg-deb -f '$deb' Homepage)\" = '$homepage' ] &&
     dpkg-deb -f '$deb' Maintainer | grep -qF '<$contact>'"
check "so are the copyright file's" bash -c "grep -qxF 'Source: $homepage' '$copyright' &&
    grep -qxF 'Upstream-Contact: The Epiphase authors <$contact>' '$copyright'"
check "and the overlay's credit line's" bash -c \
    "strings '$hack' | grep -qF -- '- $contact - $homepage'"
check "lintian reports no error" bash -c "lintian --fail-on error '$deb' >'$work/lintian.log' 2>&1 ||
    { grep '^E:' '$work/lintian.log'; false; }"
check "nor any copyright warning" bash -c \
    "! grep -E '^[EW]: .*(copyright|licen[cs]e)' '$work/lintian.log'"

finish
