#!/usr/bin/env bash
# The 32-bit screen saver against the systems and processors it is for:
#  1. it imports only functions that Windows 95 and NT 4.0 have (scripts/win32-imports.txt), and
#     no wide-character function (on Windows 95, 98 and Me those are stubs that fail);
#  2. its code, all of it its own (no run-time library is linked), has only instructions of the
#     486 and its x87 unit: nothing of the Pentium, the Pentium Pro (cmov, fcmov, fcomi, fucomi)
#     or MMX and SSE, each function that holds one named;
#  3. its application manifest is well-formed XML;
#  4. the model, built with the same arithmetic as a 32-bit Linux program and run under qemu-i386,
#     passes its tests and prints the native build's numbers bit for bit.
# Usage: scripts/i686-checks.sh WINDOWS_TREE NATIVE_TREE
set -euo pipefail
cd "$(dirname "$0")/.."
scr=$1/app/epiphase.scr
native=$2

echo "== Imports of $scr: only functions Windows 95 and NT 4.0 have, none of them wide"
imports=$(i686-w64-mingw32-objdump -p "$scr" |
    awk '/DLL Name:/ { dll = toupper($3); next } dll && /^\t[0-9a-f]+\t/ { print dll, $NF }' | sort)
unlisted=$(comm -23 <(echo "$imports") \
    <(awk '!/^#/ && NF { print $1, $2 }' scripts/win32-imports.txt | sort))
if [[ -n "$unlisted" ]]; then
    echo "Imports not in scripts/win32-imports.txt:"
    echo "$unlisted"
    exit 1
fi
wide=$(awk '$2 ~ /W$/' <<< "$imports")
if [[ -n "$wide" ]]; then
    echo "Wide-character imports:"
    echo "$wide"
    exit 1
fi
echo "$(wc -l <<< "$imports") imports, all listed, none wide"

echo "== Instructions of $scr: the 486's and the x87 unit's only"
# Read from the copy of the same link that keeps its symbols, to name the functions.
later=$(i686-w64-mingw32-objdump -d -C --no-show-raw-insn "$1/app/epiphase-symbols.scr" | awk '
    /^[0-9a-f]+ <.+>:$/ {
        function_name = $0; sub(/^[0-9a-f]+ </, "", function_name); sub(/>:$/, "", function_name)
        next
    }
    /^ +[0-9a-f]+:\t/ {
        split($0, field, "\t")
        mnemonic = field[2]; sub(/ .*/, "", mnemonic)
        if (mnemonic ~ /^(cmov|fcmov)/ ||
            mnemonic ~ /^(fcomi|fcomip|fucomi|fucomip|sysenter|sysexit|rdpmc|fxsave|fxrstor)$/ ||
            mnemonic ~ /^(cpuid|rdtsc|rdmsr|wrmsr|rsm|cmpxchg8b)$/ ||
            mnemonic ~ /^(emms|femms|ldmxcsr|stmxcsr|fisttp[lsq]?|movnti|[lsm]fence|clflush)$/ ||
            mnemonic ~ /^(prefetch|maskmov|movnt)/ || field[2] ~ /%[xy]?mm[0-9]/)
            print mnemonic " in " function_name
    }' | sort | uniq -c)
if [[ -n "$later" ]]; then
    echo "Instructions of later processors (count, instruction, function):"
    echo "$later"
    exit 1
fi
echo "none in $(i686-w64-mingw32-objdump -d "$scr" | grep -c '^ ') instructions"

echo "== The application manifest: well-formed XML"
xmllint --noout "$1/app/epiphase.manifest"
echo "well-formed"

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
