// Linked into every program of the 32-bit builds, which compute with the x87 unit. Its precision
// control decides where each result is rounded: 64 bits after MinGW's start-up code and on Linux,
// but 53 bits makes every addition, subtraction, multiplication and division round exactly as an
// IEEE double, as on the SSE2 builds. Set before any static constructor computes (the C
// run-time's own reset of the unit runs earlier still).

#include "platform/arithmetic.h"

namespace {

__attribute__((constructor(101))) void UseDoubleArithmeticFirst() { UseDoubleArithmetic(); }

} // namespace
