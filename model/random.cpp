#include "model/random.h"

namespace {

// Constant-initialised, so it is 1 before any static constructor can draw from it.
constinit std::uint32_t randomState = 1;

constexpr double InverseRandomMax = 1.0 / 32767.0;

} // namespace

std::int32_t NextRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<std::int32_t>((randomState >> 16) & 0x7FFFu);
}

double UnitRandom() { return NextRandom() * InverseRandomMax; }

std::uint32_t RandomState() { return randomState; }

void SetRandomState(std::uint32_t state) { randomState = state; }
