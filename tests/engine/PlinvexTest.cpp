// Resonant filter: coefficients at a quarter of the sample rate, the 19 Hz floor, kept history,
// unity gain at DC.
#include "Plinvex.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectSameCoefficients(const Plinvex& a, const Plinvex& b) {
  EXPECT_EQ(a.cutoff, b.cutoff);
  EXPECT_EQ(a.c, b.c);
  EXPECT_EQ(a.a1, b.a1);
  EXPECT_EQ(a.a2, b.a2);
  EXPECT_EQ(a.a3, b.a3);
  EXPECT_EQ(a.b1, b.b1);
  EXPECT_EQ(a.b2, b.b2);
}

} // namespace

TEST(Plinvex, QuarterSampleRateWithoutResonanceHasThirds) {
  Plinvex f(44100.0f);
  f.filterConfig(11025.0f, 0.0f);
  EXPECT_EQ(f.c, 1.0f);
  EXPECT_EQ(f.damping, 1.0f);
  EXPECT_EQ(f.a1, 1.0f / 3.0f);
  EXPECT_EQ(f.a3, 1.0f / 3.0f);
  EXPECT_EQ(f.a2, 2.0f / 3.0f);
  EXPECT_EQ(f.b1, 0.0f);
  EXPECT_EQ(f.b2, 1.0f / 3.0f);

  // y[n] = (x[n] + 2 x[n-1] + x[n-2]) / 3 - y[n-2] / 3, worked out by hand.
  const double expected[] = {1.0 / 3, 2.0 / 3, 2.0 / 9, -2.0 / 9, -2.0 / 27, 2.0 / 27};
  const float input[] = {1, 0, 0, 0, 0, 0};
  for (int n = 0; n < 6; n++)
    EXPECT_NEAR(f.filter(input[n]), expected[n], 2e-7) << "sample " << n;
}

TEST(Plinvex, CutoffsBelowNineteenHzAreRaisedToIt) {
  Plinvex floor(44100.0f), low(44100.0f), negative(44100.0f), zero(44100.0f);
  floor.filterConfig(19.0f, 0.5f);
  low.filterConfig(10.0f, 0.5f);
  negative.filterConfig(-300.0f, 0.5f);
  zero.filterConfig(0.0f, 0.5f);
  EXPECT_EQ(low.cutoff, 19.0f);
  expectSameCoefficients(floor, low);
  expectSameCoefficients(floor, negative);
  expectSameCoefficients(floor, zero);

  Plinvex above(44100.0f);
  above.filterConfig(19.5f, 0.5f);
  EXPECT_EQ(above.cutoff, 19.5f);
  EXPECT_LT(above.c, floor.c);
}

TEST(Plinvex, ReconfiguringKeepsTheHistory) {
  Plinvex f(44100.0f);
  f.filterConfig(1000.0f, 0.3f);
  f.filter(0.5f);
  f.filter(-0.25f);
  f.filter(0.125f);
  const float in1 = f.in1, in2 = f.in2, out1 = f.out1, out2 = f.out2;
  EXPECT_EQ(in1, 0.125f);
  EXPECT_EQ(in2, -0.25f);
  f.filterConfig(5000.0f, 0.8f);
  EXPECT_EQ(f.in1, in1);
  EXPECT_EQ(f.in2, in2);
  EXPECT_EQ(f.out1, out1);
  EXPECT_EQ(f.out2, out2);
  // The next output uses the old history with the new coefficients.
  float expected = f.a1 * 0.0f + f.a2 * in1 + f.a3 * in2 - f.b1 * out1 - f.b2 * out2;
  EXPECT_EQ(f.filter(0.0f), expected);
}

// A constant 1 settles to 1 for cutoffs below Nyquist and resonances below 1. Float coefficients
// leave an error that grows as 1 / a1 (about the squared cotangent), and the float recursion's
// rounding is amplified by the resonant peak 1 / damping, so the bound follows both.
TEST(Plinvex, DcGainIsOneWithinCoefficientPrecision) {
  const float cutoffs[] = {19, 40, 100, 440, 1000, 3000, 8000, 11025, 16000, 21000};
  const float resonances[] = {0.0f, 0.3f, 0.6f, 0.9f, 0.997f};
  for (float cutoff : cutoffs) {
    for (float resonance : resonances) {
      Plinvex f(44100.0f);
      f.filterConfig(cutoff, resonance);
      float y = 0.0f;
      // Ring-down time grows with the resonance and falls with the cutoff.
      long settle = static_cast<long>(200 * 44100.0 / (cutoff * (1.0f - resonance))) + 1000;
      for (long n = 0; n < settle; n++)
        y = f.filter(1.0f);
      double tolerance = std::ldexp(1.0, -24) * (2.0 / f.a1 + 32.0 / f.damping);
      EXPECT_NEAR(y, 1.0, tolerance) << "cutoff " << cutoff << " resonance " << resonance;
      if (cutoff >= 1000 && resonance <= 0.9f) {
        EXPECT_LT(tolerance, 5e-5);
      }
    }
  }
}

TEST(Plinvex, ResonanceRaisesThePeakNearTheCutoff) {
  auto gainAt = [](float resonance) {
    Plinvex f(44100.0f);
    f.filterConfig(1000.0f, resonance);
    double peak = 0;
    for (int n = 0; n < 44100; n++) {
      float y = f.filter(static_cast<float>(std::sin(2 * M_PI * 1000.0 * n / 44100.0)));
      if (n > 22050) peak = std::max(peak, std::fabs(static_cast<double>(y)));
    }
    return peak;
  };
  double flat = gainAt(0.0f), resonant = gainAt(0.9f);
  // At the pre-warped cutoff the response is 1 / r: 1 without resonance, 10 at resonance 0.9.
  EXPECT_NEAR(flat, 1.0, 0.02);
  EXPECT_NEAR(resonant, 10.0, 0.3);
}
