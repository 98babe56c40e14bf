#!/usr/bin/env bash
# Installs the Debian packages that are missing, and only those: on a ready machine it changes
# nothing. With --run, what building and running the program need (./run.sh); without, those
# and what the tests, the benchmarks, the Windows builds and the downloads need too (./test.sh).
set -euo pipefail

# Building the program (a tree without its tests) and running it.
run_packages=(
    cmake ninja-build g++ pkg-config
    libfreetype-dev libfontconfig-dev libpng-dev fonts-dejavu-core
    libx11-dev libxext-dev libxrandr-dev libx11-xcb-dev libxcb-shm0-dev
    libwayland-dev wayland-protocols libxkbcommon-dev
)
# The rest.
test_packages=(
    googletest libbenchmark-dev clang-14 libclang-rt-14-dev
    libxtst-dev libxdamage-dev xdotool xscreensaver libunicorn-dev sway grim wtype swayidle swaylock
    g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 g++-multilib qemu-user
    wine wine32:i386 wine64 xvfb xauth
    dpkg-dev file lintian zip unzip libxml2-utils
)

case "${1:-}" in
--run) packages=("${run_packages[@]}") ;;
"") packages=("${run_packages[@]}" "${test_packages[@]}") ;;
*) echo "usage: $0 [--run]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

run_as_root() { if [[ $EUID -eq 0 ]]; then "$@"; else sudo "$@"; fi; }

echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *":i386 "* ]] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    run_as_root dpkg --add-architecture i386
fi
run_as_root apt-get update -q
run_as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
