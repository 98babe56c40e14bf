# Sourced: a private, quiet Wine prefix for the tests, created once inside the build tree.
# Usage: source scripts/wine-env.sh PREFIX_DIR
export WINEPREFIX="$(realpath -m "$1")"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    # The 64-bit loader makes a prefix that serves 32-bit and 64-bit programs alike.
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver --wait
fi

# True when this machine can run 32-bit x86 programs at all (some kernels are built without
# IA-32 emulation, and then no 32-bit Wine can start).
can_run_32bit_wine() {
    [[ "$(timeout 30 /usr/lib/wine/wine --version 2>/dev/null)" == wine-* ]]
}
