// Resonant two-pole low-pass (bilinear transform, cotangent pre-warp) in 32-bit float.
#ifndef TAMBREL_PLINVEX_H
#define TAMBREL_PLINVEX_H

class Plinvex {
public:
  explicit Plinvex(float sampleRate);

  // cutoff in Hz (raised to 19 Hz when lower), resonance 0 .. below 1. Keeps the history.
  void filterConfig(float cutoff, float resonance);

  float filter(float x) {
    float y = a1 * x + a2 * in1 + a3 * in2 - b1 * out1 - b2 * out2;
    in2 = in1;
    in1 = x;
    out2 = out1;
    out1 = y;
    return y;
  }

  float cutoff;     // Hz, after the 19 Hz floor
  float damping;    // 1 - resonance
  float sampleRate; // Hz
  float in1;
  float in2;
  float out1;
  float out2;
  float c; // 1 / tan(pi * cutoff / sampleRate)
  float a1;
  float a2;
  float a3;
  float b1;
  float b2;
};

#endif
