// Sine and cosine for the Windows programs, as MinGW's run-time computes them: the x87 unit's
// fsin and fcos on the argument, brought into range by a remainder of 2 pi first where the
// instruction refuses it (|x| >= 2^63), and the result rounded to a double. Both instructions
// exist since the 387, so every processor the screen saver is for has them.

// `op` on st(0); where it refuses the argument (C2 set in the status word), once more after the
// remainder.
#define EPIPHASE_X87_TRIG_BODY(op)                                                                 \
    "    " op "\n"                                                                                 \
    "    fnstsw %ax\n"                                                                             \
    "    testw $0x400, %ax\n"                                                                      \
    "    jz 2f\n"                                                                                  \
    "    fldpi\n"                                                                                  \
    "    fadd %st(0), %st\n"                                                                       \
    "    fxch %st(1)\n"                                                                            \
    "1:  fprem1\n"                                                                                 \
    "    fnstsw %ax\n"                                                                             \
    "    testw $0x400, %ax\n"                                                                      \
    "    jnz 1b\n"                                                                                 \
    "    fstp %st(1)\n"                                                                            \
    "    " op "\n"                                                                                 \
    "2:\n"

#if defined(__i386__)
// cdecl: the argument on the stack, the result in st(0). The store and reload round it to a
// double, in the argument's own slot.
#define EPIPHASE_X87_TRIG(name, op)                                                                \
    __asm__("    .text\n"                                                                          \
            "    .globl _" name "\n"                                                               \
            "    .def _" name "; .scl 2; .type 32; .endef\n"                                       \
            "_" name ":\n"                                                                         \
            "    fldl 4(%esp)\n"                                                                   \
            EPIPHASE_X87_TRIG_BODY(op)                                                             \
            "    fstpl 4(%esp)\n"                                                                  \
            "    fldl 4(%esp)\n"                                                                   \
            "    ret\n");
#elif defined(__x86_64__)
// Microsoft x64: the argument and the result in xmm0, through the caller's home slot.
#define EPIPHASE_X87_TRIG(name, op)                                                                \
    __asm__("    .text\n"                                                                          \
            "    .globl " name "\n"                                                                \
            "    .def " name "; .scl 2; .type 32; .endef\n"                                        \
            name ":\n"                                                                             \
            "    movsd %xmm0, 8(%rsp)\n"                                                           \
            "    fldl 8(%rsp)\n"                                                                   \
            EPIPHASE_X87_TRIG_BODY(op)                                                             \
            "    fstpl 8(%rsp)\n"                                                                  \
            "    movsd 8(%rsp), %xmm0\n"                                                           \
            "    ret\n");
#endif

EPIPHASE_X87_TRIG("sin", "fsin")
EPIPHASE_X87_TRIG("cos", "fcos")
