#pragma once

// The floating-point unit as the model needs it: IEEE double rounding to nearest, no trap. Every
// program sets it once at start, and the saver again before each frame computes: a DLL loaded
// into the process later (a password module, a display driver's hook, an input method) may load
// a control word of its own, and the figure would drift away from what every other build draws.
inline void UseDoubleArithmetic() {
#if defined(__i386__)
    // Precision 53 bits (bits 8-9 = 10), rounding to nearest (bits 10-11 = 00), all six
    // exceptions masked (bits 0-5). The x87 unit rounds + - * / to the precision set here.
    constexpr unsigned short DoubleControlWord = 0x027F;
    __asm__ volatile("fldcw %0" : : "m"(DoubleControlWord));
#elif defined(__x86_64__)
    // SSE: rounding to nearest, all exceptions masked, denormals kept (no flush to zero).
    constexpr unsigned int DoubleStatusControl = 0x1F80;
    __asm__ volatile("ldmxcsr %0" : : "m"(DoubleStatusControl));
#endif
}
