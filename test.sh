#!/usr/bin/env bash
# Installs what is missing, builds the native tree (build/) and the 32-bit and 64-bit Windows
# trees (build-win/, build-win64/: each ships a screen saver), and runs every test: natively,
# then the Windows suites under Wine, then the comparison of the stand-in's drawing with real GDI
# under Wine; last the downloads: the Debian package and the Windows archive.
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc)

scripts/install-deps.sh

cmake -S . -B build -G Ninja -DEPIPHASE_TESTS=ON # a tree ./run.sh made holds no tests
cmake --build build -j "$jobs"
# Under a virtual X display: the program's live modes are tested on it.
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir build --output-on-failure -j "$jobs"

# The whole native suite again with AddressSanitizer and UndefinedBehaviorSanitizer (the long
# soak aside): any report fails it.
cmake -S . -B build-asan -G Ninja -DEPIPHASE_SANITIZE=ON
cmake --build build-asan -j "$jobs"
LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE soak

# The command-line parsers under libFuzzer, 30 seconds each from the committed seeds.
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14
cmake --build build-fuzz -j "$jobs"
for target in command_line linux_options; do
    mkdir -p "build-fuzz/corpus/$target"
    if ! "build-fuzz/${target}_fuzz" "build-fuzz/corpus/$target" "fuzz/corpus/$target" \
        -max_total_time=30 -artifact_prefix=build-fuzz/ > "build-fuzz/$target.log" 2>&1; then
        cat "build-fuzz/$target.log"
        exit 1
    fi
    echo "fuzz $target: $(tail -n 1 "build-fuzz/$target.log")"
done

# Both Windows screen savers, built and packed into the download archive.
scripts/windows-archive.sh
# What the 32-bit screen saver imports and executes, and its arithmetic under qemu-i386.
scripts/i686-checks.sh build-win build

source scripts/wine-env.sh build/wine-prefix
if can_run_32bit_wine; then
    windows_tree=build-win
    wine_loader=/usr/lib/wine/wine
else
    # This kernel has no IA-32 emulation: no 32-bit program can start, Wine included. The
    # Windows suites still run under Wine, built for 64-bit Windows.
    echo "NOTICE: this machine cannot execute 32-bit programs; the i686 Windows tests are" \
         "built but not run. Running the same suites as 64-bit Windows programs under Wine."
    windows_tree=build-win64
    wine_loader=/usr/lib/wine/wine64
fi

xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" \
    scripts/windows-tests.sh "$windows_tree" "$wine_loader"

# One version throughout the Debian package and the Windows archive; the archive's savers start.
scripts/debian-package.sh
xvfb-run --auto-servernum --server-args="-screen 0 1280x1024x24 -noreset" scripts/release-checks.sh
