#pragma once

#include "model/phasor.h"

#include <array>
#include <cstdint>

// One slow sine cycle that drives a phase or axis term; its length is drawn at random.
struct TermCycle {
    double rate = 0.0;      // radians per second
    double startTime = 0.0; // seconds
    double endTime = 0.0;   // seconds
};

// A linear fade of the phasor colour from where it stands to a random target.
struct ColorFade {
    std::int32_t startRed = 0;
    std::int32_t targetRed = 0;
    std::int32_t startGreen = 0;
    std::int32_t targetGreen = 0;
    std::int32_t startBlue = 0;
    std::int32_t targetBlue = 0;
    std::int32_t frames = 0;
    std::int32_t frame = 0;
};

// A Phasor together with the modulation that keeps every one of its quantities drifting: term
// cycles, an amplitude swing that is scrambled from time to time, an omega range that omega
// homes into, and a colour fade. The modulation record is public so that its states can be
// staged and inspected directly; only Reset and Update change it in the running saver.
class MutatingPhasor {
  public:
    virtual ~MutatingPhasor() = default;

    Phasor& GetPhasor() { return phasor; }
    const Phasor& GetPhasor() const { return phasor; }

    // Begins every modulation afresh (19 draws). Keeps omega: the caller has just drawn one.
    void Reset();
    // Advances everything to the present moment; once per frame.
    void Update();

    Phasor phasor;
    std::int32_t amplitudeScrambleFrames = 0;
    std::array<TermCycle, 4> termCycles{}; // phaseX, phaseY, omegaX, omegaY
    double center = 0.0;
    double modRadius = 0.0;
    double modStartTime = 0.0;
    double period = 0.0;
    double omegaLow = 0.0;
    double omegaHigh = 0.0;
    double omegaStep = 0.0;
    double omegaScrambleFrames = 0.0;
    ColorFade fade;
    double homingStartTime = 0.0;
    double dampenPeriod = 0.0;
    double homingStartOmega = 0.0;
    std::int32_t rangeChecked = 0;
    std::int32_t holding = 0;

  private:
    static void RearmCycle(TermCycle& cycle);
    void StartAmplitudeModulation();
    void StartOmegaModulation();
    void RestartColorFade();
    void UpdateTerms(double now);
    void CheckOmegaRange(double omega, double now);
    void UpdateOmega(double now);
    void UpdateColor();
};
