// Prints where every sample of the figure's six phasors lies, frame after frame across a
// restart, as exact hexadecimal doubles; the same run built for another processor must print
// the same bits (scripts/i686-checks.sh compares the 32-bit x87 build with the native one).

#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/numerics.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::int32_t Frames = 80;
constexpr std::int32_t RestartFrame = 40;
constexpr std::int32_t StepMilliseconds = 700;
constexpr std::int32_t Samples = 100;

void Restart(std::array<MutatingPhasor, 6>& phasors) {
    for (MutatingPhasor& mutating : phasors) {
        mutating.GetPhasor().RandomizeAmplitude(0.0, 3.0);
        mutating.GetPhasor().RandomizeOmega(-ModelPi, ModelPi);
        mutating.Reset();
    }
}

} // namespace

int main() {
    UseSteppedClock(StepMilliseconds);
    std::array<MutatingPhasor, 6> phasors;
    Restart(phasors);
    std::int32_t cycleStart = 0;
    for (std::int32_t frame = 1; frame <= Frames; ++frame) {
        SetClockFrame(frame);
        if (frame == RestartFrame) {
            Restart(phasors);
            cycleStart = ElapsedMilliseconds();
        }
        for (MutatingPhasor& mutating : phasors) {
            mutating.Update();
        }
        const double cycleSeconds = (ElapsedMilliseconds() - cycleStart) * 0.001;
        for (std::int32_t i = 0; i < Samples; ++i) {
            const double t = i * 0.15000000000000002 + cycleSeconds * 0.25;
            for (const MutatingPhasor& mutating : phasors) {
                const PhasorPoint point = mutating.GetPhasor().Evaluate(t);
                std::printf("%d %d %a %a\n", frame, i, point.x, point.y);
            }
        }
    }
}
