#!/usr/bin/env bash
# cmake --install puts the saver where xscreensaver looks for it on Debian.
set -u
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null || exit 1
passed=0
failed=0
for file in usr/libexec/xscreensaver/epiphase usr/share/xscreensaver/config/epiphase.xml \
            usr/share/man/man6/epiphase.6; do
    if [ -s "$stage/$file" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "missing: /$file"; fi
done
if [ -x "$stage/usr/libexec/xscreensaver/epiphase" ] &&
   grep -q '<command arg="--root"/>' "$stage/usr/share/xscreensaver/config/epiphase.xml"; then
    passed=$((passed + 1))
else
    failed=$((failed + 1)); echo "FAILED: executable hack with --root as its command"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
