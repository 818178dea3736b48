// Resonant low-pass: coefficients from cutoff and resonance.
#include "Plinvex.h"

#include <cmath>

Plinvex::Plinvex(float sampleRate)
    : cutoff(0.0f), damping(0.0f), sampleRate(sampleRate), in1(0.0f), in2(0.0f), out1(0.0f),
      out2(0.0f), c(0.0f), a1(0.0f), a2(0.0f), a3(0.0f), b1(0.0f), b2(0.0f) {}

void Plinvex::filterConfig(float cutoffHz, float resonance) {
  double phase;
  if (cutoffHz < 19.0f) {
    cutoff = 19.0f;
    phase = 59.690260418206066; // 19 pi
  } else {
    cutoff = cutoffHz;
    phase = cutoffHz * 3.141592653589793;
  }
  damping = 1 - resonance;
  c = 1 / std::tan(phase / sampleRate);
  a1 = 1 / (1 + damping * c + c * c);
  a2 = 2 * a1;
  a3 = a1;
  b1 = 2 * (1 - c * c) * a1;
  b2 = (1 - damping * c + c * c) * a1;
}
