// Every sample of the six phasors, frame by frame across a restart, in exact hexadecimal: each
// build must print the same bits (scripts/i686-checks.sh compares the x87 and native builds).

#include "model/clock.h"
#include "model/mutating_phasor.h"
#include "model/numerics.h"

#include <array>
#include <cstdio>

int main() {
    UseSteppedClock(700);
    std::array<MutatingPhasor, 6> phasors;
    std::int32_t cycleStart = 0;
    for (std::int32_t frame = 0; frame < 80; ++frame) {
        SetClockFrame(frame);
        if (frame == 0 || frame == 40) {
            for (MutatingPhasor& mutating : phasors) {
                mutating.GetPhasor().RandomizeAmplitude(0.0, 3.0);
                mutating.GetPhasor().RandomizeOmega(-ModelPi, ModelPi);
                mutating.Reset();
            }
            cycleStart = ElapsedMilliseconds();
        }
        for (MutatingPhasor& mutating : phasors) {
            mutating.Update();
        }
        const double cycleSeconds = (ElapsedMilliseconds() - cycleStart) * 0.001;
        for (std::int32_t i = 0; i < 100; ++i) {
            const double t = i * 0.15000000000000002 + cycleSeconds * 0.25;
            for (const MutatingPhasor& mutating : phasors) {
                const PhasorPoint point = mutating.GetPhasor().Evaluate(t);
                std::printf("%d %d %a %a\n", frame, i, point.x, point.y);
            }
        }
    }
}
