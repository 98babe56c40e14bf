#include "model/mutating_phasor.h"

#include "model/clock.h"
#include "model/numerics.h"
#include "model/random.h"

#include <cmath>
#include <utility>

namespace {

double NowSeconds() { return ElapsedMilliseconds() * 0.001; }

// The omega range is at most ModelPi away from the omega it is drawn for.
constexpr double OmegaReach = ModelPi;

} // namespace

void MutatingPhasor::Reset() {
    homingStartTime = 0.0;
    dampenPeriod = 0.0;
    rangeChecked = 0;
    phasor.RandomizeAmplitude(0.0, 3.0);
    StartAmplitudeModulation();
    StartOmegaModulation();
    RestartColorFade();
    for (TermCycle& cycle : termCycles) {
        RearmCycle(cycle);
    }
}

void MutatingPhasor::RearmCycle(TermCycle& cycle) {
    cycle.startTime = NowSeconds();
    const double length = 30.0 + 3600.0 * UnitRandom();
    cycle.rate = ModelTwoPi / length;
    cycle.endTime = cycle.startTime + length;
}

void MutatingPhasor::StartAmplitudeModulation() {
    const double amplitude = phasor.amplitude;
    if (amplitude > 3.0 || amplitude < 0.0) {
        // Out of range mid-swing: let the swing carry on and try again in two frames.
        amplitudeScrambleFrames = 1;
        return;
    }
    center = amplitude;
    modRadius = 3.0 * UnitRandom();
    if (UnitRandom() > 0.5) {
        modRadius = -modRadius;
    }
    modStartTime = NowSeconds();
    period = 10.0 + Trunc(60.0 * UnitRandom());
    amplitudeScrambleFrames = 50 + Trunc(500.0 * UnitRandom());
}

void MutatingPhasor::StartOmegaModulation() {
    const double omega = phasor.omega;
    omegaLow = UnitRandom() * ModelPi - ModelHalfPi;
    omegaHigh = UnitRandom() * ModelPi - ModelHalfPi;
    if (omegaHigh < omegaLow) {
        std::swap(omegaLow, omegaHigh);
    }
    omegaScrambleFrames = 500.0 + Trunc(1000.0 * UnitRandom());
    if (omega - OmegaReach > omegaLow) {
        omegaLow = omega - OmegaReach;
    }
    if (omega + OmegaReach < omegaHigh) {
        omegaHigh = omega + OmegaReach;
    }
    if (omegaLow > omegaHigh) {
        std::swap(omegaLow, omegaHigh);
    }
    // Three draws nobody uses; dropping them would change every later figure.
    UnitRandom();
    UnitRandom();
    UnitRandom();
    rangeChecked = 0;
    holding = 0;
}

void MutatingPhasor::RestartColorFade() {
    fade.frames = 3 + Trunc(200.0 * UnitRandom());
    fade.frame = 0;
    fade.startRed = phasor.red;
    fade.startGreen = phasor.green;
    fade.startBlue = phasor.blue;
    fade.targetRed = Trunc(255.0 * UnitRandom());
    fade.targetGreen = Trunc(255.0 * UnitRandom());
    fade.targetBlue = Trunc(255.0 * UnitRandom());
}

void MutatingPhasor::Update() {
    const double omega = phasor.omega;
    const double now = NowSeconds();
    UpdateTerms(now);
    if (rangeChecked == 0) {
        CheckOmegaRange(omega, now);
    }
    UpdateOmega(now);
    if (amplitudeScrambleFrames == 0) {
        --amplitudeScrambleFrames;
        StartAmplitudeModulation();
    } else {
        --amplitudeScrambleFrames;
    }
    phasor.SetAmplitude(std::sin(((now - modStartTime) / period) * ModelTwoPi) * modRadius +
                        center);
    UpdateColor();
}

void MutatingPhasor::UpdateTerms(double now) {
    double* const terms[] = {&phasor.phaseX, &phasor.phaseY, &phasor.omegaX, &phasor.omegaY};
    constexpr double scales[] = {ModelTwoPi, ModelTwoPi, 1.0, 1.0};
    for (std::size_t i = 0; i < termCycles.size(); ++i) {
        TermCycle& cycle = termCycles[i];
        if (cycle.endTime < now) {
            RearmCycle(cycle);
        }
        const double s = std::sin((now - cycle.startTime) * cycle.rate);
        *terms[i] = scales[i] * s;
    }
}

void MutatingPhasor::CheckOmegaRange(double omega, double now) {
    rangeChecked = 1;
    if (omegaLow <= omega && omega <= omegaHigh) {
        holding = 1;
        return;
    }
    homingStartTime = now;
    homingStartOmega = omega;
    if (omega > omegaHigh) {
        omegaStep = (omega - omegaHigh) * -0.5;
        dampenPeriod = omegaStep * -HomingSecondsPerRadian;
    } else {
        omegaStep = (omegaLow - omega) * 0.5;
        dampenPeriod = omegaStep * HomingSecondsPerRadian;
    }
    if (dampenPeriod < 10.0) {
        dampenPeriod = 10.0;
    } else if (dampenPeriod > 30.0) {
        dampenPeriod = 30.0;
    }
}

void MutatingPhasor::UpdateOmega(double now) {
    if (holding == 1) {
        // Omega stays put while holding; only the countdown to the next scramble runs.
        if (omegaScrambleFrames == 0.0) {
            omegaScrambleFrames -= 1.0;
            StartOmegaModulation();
        } else {
            omegaScrambleFrames -= 1.0;
        }
        return;
    }
    // A raised-cosine glide toward the violated bound, flat at both ends.
    const double elapsed = now - homingStartTime;
    const double glided =
        homingStartOmega +
        (std::sin((elapsed / dampenPeriod) * ModelPi - ModelHalfPi) + 1.0) * omegaStep;
    phasor.SetOmega(glided);
    if (elapsed >= dampenPeriod) {
        holding = 1;
    }
}

void MutatingPhasor::UpdateColor() {
    fade.frame += 1;
    if (fade.frame == fade.frames) {
        RestartColorFade();
    }
    const double u = static_cast<double>(fade.frame) / fade.frames;
    phasor.SetColor(fade.startRed + Trunc(u * (fade.targetRed - fade.startRed)),
                    fade.startGreen + Trunc(u * (fade.targetGreen - fade.startGreen)),
                    fade.startBlue + Trunc(u * (fade.targetBlue - fade.startBlue)));
}
