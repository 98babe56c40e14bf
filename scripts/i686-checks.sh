#!/usr/bin/env bash
# The 32-bit screen saver against the systems and processors it is for:
#  1. it imports only functions that Windows 98 and NT 4.0 have (scripts/win32-imports.txt);
#  2. its code has no SSE or MMX instruction: the x87 unit only, as on a Pentium Pro or II;
#  3. the model, built with the same arithmetic as a 32-bit Linux program and run under qemu-i386
#     as a Pentium II, passes its tests and prints the native build's numbers bit for bit.
# Usage: scripts/i686-checks.sh WINDOWS_TREE NATIVE_TREE
set -euo pipefail
cd "$(dirname "$0")/.."
scr=$1/app/epiphase.scr
native=$2

echo "== Imports of $scr: only functions Windows 98 and NT 4.0 have"
imports=$(i686-w64-mingw32-objdump -p "$scr" |
    awk '/DLL Name:/ { dll = toupper($3); next } dll && /^\t[0-9a-f]+\t/ { print dll, $NF }' | sort)
unlisted=$(comm -23 <(echo "$imports") \
    <(awk '!/^#/ && NF { print $1, $2 }' scripts/win32-imports.txt | sort))
if [[ -n "$unlisted" ]]; then
    echo "Imports not in scripts/win32-imports.txt:"
    echo "$unlisted"
    exit 1
fi
echo "$(wc -l <<< "$imports") imports, all listed"

echo "== Instructions of $scr: no SSE or MMX"
extensions=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$scr" |
    grep -E '%x?mm[0-9]|\s(ldmxcsr|stmxcsr|fisttp[lsq]?|movnti|[lsm]fence|clflush|prefetch[a-z0-9]*|emms|maskmovq|movntq)\s' || true)
if [[ -n "$extensions" ]]; then
    echo "$extensions" | head -20 || true
    exit 1
fi
echo "none"

echo "== The model on the x87 unit: 32-bit Linux under qemu-i386 as a Pentium II"
cmake -S . -B build-linux-i686 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake > /dev/null
cmake --build build-linux-i686 -j "$(nproc)"
ctest --test-dir build-linux-i686 --output-on-failure
qemu-i386 -cpu pentium2 build-linux-i686/model/model_trace > build-linux-i686/trace.txt
# On processors with fused multiply-add, x86_64 glibc picks sin and cos compiled to use it; a few
# of their results differ in the last bit from the plain double path, which is the one the x87
# build reproduces. The native trace is taken on that plain path.
GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA,-FMA4 "$native/model/model_trace" > build-linux-i686/native-trace.txt
if ! cmp build-linux-i686/native-trace.txt build-linux-i686/trace.txt; then
    diff build-linux-i686/native-trace.txt build-linux-i686/trace.txt | head -20 || true
    exit 1
fi
echo "$(wc -l < build-linux-i686/trace.txt) phasor positions (frame, sample, x, y), identical to the bit"
