#pragma once

#include <cstdint>

// The tip of a phasor for one curve parameter.
struct PhasorPoint {
    double x;
    double y;
};

// One elliptical rotating vector of the figure. It only holds state and evaluates; its owning
// MutatingPhasor rewrites the phase and axis terms directly every frame.
class Phasor {
  public:
    virtual ~Phasor() = default;

    // x = amplitude·cos((omegaX + omega)·t + phaseX), y = amplitude·sin((omegaY + omega)·t + phaseY)
    PhasorPoint Evaluate(double t) const;

    double GetAmplitude() const { return amplitude; }
    void SetAmplitude(double value) { amplitude = value; }
    double GetOmega() const { return omega; }
    void SetOmega(double value) { omega = value; }

    // One draw from the random stream; a negative low bound counts as 0.0.
    void RandomizeAmplitude(double low, double high);
    // Two draws; the first is discarded, as it always has been.
    void RandomizeOmega(double low, double high);

    void SetColor(std::int32_t r, std::int32_t g, std::int32_t b);
    std::uint32_t GetColor() const;

    double GetPhaseX() const { return phaseX; }
    double GetPhaseY() const { return phaseY; }
    double GetOmegaX() const { return omegaX; }
    double GetOmegaY() const { return omegaY; }

  private:
    friend class MutatingPhasor;

    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    double phaseX = 0.0;
    double phaseY = 0.0;
    double omegaX = 0.0;
    double omegaY = 0.0;
    double amplitude = 1.0;
    double omega = 0.0;
};
