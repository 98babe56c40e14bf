#include "model/phasor.h"

#include "model/numerics.h"
#include "model/random.h"

#include <cmath>

PhasorPoint Phasor::Evaluate(double t) const {
    const double x = amplitude * std::cos((omegaX + omega) * t + phaseX);
    const double y = amplitude * std::sin((omegaY + omega) * t + phaseY);
    return {x, y};
}

void Phasor::RandomizeAmplitude(double low, double high) {
    if (low < 0.0) {
        low = 0.0;
    }
    amplitude = low + UnitRandom() * (high - low);
}

void Phasor::RandomizeOmega(double low, double high) {
    UnitRandom();
    omega = low + UnitRandom() * (high - low);
}

void Phasor::SetColor(std::int32_t r, std::int32_t g, std::int32_t b) {
    red = r;
    green = g;
    blue = b;
}

std::uint32_t Phasor::GetColor() const { return PackedColor(red, green, blue); }
