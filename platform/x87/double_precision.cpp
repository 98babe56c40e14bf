// Linked into every program of the 32-bit builds, which compute with the x87 unit. Its precision
// control decides where each result is rounded: 64 bits after MinGW's start-up code and on Linux,
// but 53 bits makes every addition, subtraction, multiplication and division round exactly as an
// IEEE double, as on the SSE2 builds. Set before any other static constructor computes, after
// the C run-time's own reset of the unit (the screen saver, without a C run-time, sets it in its
// entry as well).

#include "platform/arithmetic.h"

namespace {

__attribute__((constructor(101))) void UseDoubleArithmeticFirst() { UseDoubleArithmetic(); }

} // namespace
