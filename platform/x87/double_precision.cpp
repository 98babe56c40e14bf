// Linked into every program of the 32-bit builds, which compute with the x87 unit. Its precision
// control decides where each result is rounded: 64 bits after MinGW's start-up code and on Linux,
// but 53 bits makes every addition, subtraction, multiplication and division round exactly as an
// IEEE double, as on the SSE2 builds. Set before any static constructor computes (the C
// run-time's own reset of the unit runs earlier still).

namespace {

constexpr unsigned short PrecisionControl = 0x0300; // bits 8-9 of the control word
constexpr unsigned short DoublePrecision = 0x0200;

__attribute__((constructor(101))) void UseDoublePrecision() {
    unsigned short control = 0;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    control = static_cast<unsigned short>((control & ~PrecisionControl) | DoublePrecision);
    __asm__ volatile("fldcw %0" : : "m"(control));
}

} // namespace
