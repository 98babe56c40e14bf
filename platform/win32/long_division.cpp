// The 64-bit division helpers that the compiler calls on 32-bit x86, for a program that does not
// link the compiler's own library (built for i686, it holds instructions a Pentium lacks).

#include "platform/api.h"

#include <cstdint>

namespace {

// Restoring division, one quotient bit at a time: 64 steps of shifts, compares and subtractions.
std::uint64_t Divide(std::uint64_t dividend, std::uint64_t divisor, std::uint64_t& remainder) {
    if (divisor == 0) {
        // As the processor's own division faults.
        RaiseException(EXCEPTION_INT_DIVIDE_BY_ZERO, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
    std::uint64_t quotient = 0;
    std::uint64_t rest = 0;
    for (int bit = 63; bit >= 0; --bit) {
        // The bit shifted out of the top makes the partial remainder exceed any divisor.
        const bool carry = (rest >> 63) != 0;
        rest = rest << 1 | (dividend >> bit & 1u);
        if (carry || rest >= divisor) {
            rest -= divisor;
            quotient |= std::uint64_t{1} << bit;
        }
    }
    remainder = rest;
    return quotient;
}

std::uint64_t Magnitude(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return value < 0 ? ~bits + 1 : bits;
}

std::int64_t WithSign(std::uint64_t magnitude, bool negative) {
    return static_cast<std::int64_t>(negative ? ~magnitude + 1 : magnitude);
}

} // namespace

extern "C" {

// Signed: the quotient truncated toward zero, a remainder with the dividend's sign.
std::int64_t __divdi3(std::int64_t dividend, std::int64_t divisor) {
    std::uint64_t remainder = 0;
    return WithSign(Divide(Magnitude(dividend), Magnitude(divisor), remainder),
                    (dividend < 0) != (divisor < 0));
}

// Both at once, where the code takes quotient and remainder of the same numbers.
std::int64_t __divmoddi4(std::int64_t dividend, std::int64_t divisor, std::int64_t* remainder) {
    std::uint64_t rest = 0;
    const std::uint64_t quotient = Divide(Magnitude(dividend), Magnitude(divisor), rest);
    *remainder = WithSign(rest, dividend < 0);
    return WithSign(quotient, (dividend < 0) != (divisor < 0));
}

} // extern "C"
