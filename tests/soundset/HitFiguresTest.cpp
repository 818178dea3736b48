// The analyzer's figures on signals whose answers are worked out by hand.
#include "HitFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using stk::HitFigures;

const double kRate = 44100;

// `seconds` of silence, then a sine of `hz` from amplitude `level` falling as exp(-t / tau).
std::vector<float> decayingSine(double hz, double level, double tau, double lead = 0.05) {
  std::vector<float> signal(static_cast<size_t>(2 * kRate), 0.0f);
  size_t start = static_cast<size_t>(lead * kRate);
  for (size_t n = start; n < signal.size(); ++n) {
    double t = (n - start) / kRate;
    signal[n] = static_cast<float>(level * std::exp(-t / tau) * std::sin(2 * M_PI * hz * t + 0.3));
  }
  return signal;
}

} // namespace

TEST(HitFigures, ADecayingSineShowsItsPitchPeakOnsetAndFall) {
  // Starts at 0.05 s; amplitude 0.5 falls by 40 dB in tau ln 100 = 230.26 ms. The centred 10 ms
  // envelope peaks 5 ms in (its window then first lies wholly inside the tone), so it stays
  // 40 dB below that peak from 5 + 230.26 ms on, give or take the tone's ripple in the window.
  HitFigures f = HitFigures::measure(decayingSine(220, 0.5, 0.05), kRate);
  ASSERT_FALSE(f.silent);
  EXPECT_NEAR(f.onsetSeconds, 0.05, 1 / kRate);
  EXPECT_NEAR(f.pitchHz, 220, 1.0);
  // The first crest, at phase pi / 2, comes (pi / 2 - 0.3) / (2 pi 220) s in, already decayed.
  const double crest = (M_PI / 2 - 0.3) / (2 * M_PI * 220);
  EXPECT_NEAR(f.peakDb, 20 * std::log10(0.5 * std::exp(-crest / 0.05)), 0.01);
  EXPECT_TRUE(f.fallComplete);
  EXPECT_NEAR(f.fallSeconds, 0.005 + 0.05 * std::log(100.0), 0.002);
  // A pure tone's power sits at its frequency; the decay widens it symmetrically.
  EXPECT_NEAR(f.centroidHz, 220, 15);
  EXPECT_LT(std::fabs(f.dcShare), 0.05);
}

TEST(HitFigures, PitchTakesTheStrongestPeakAboveTwentyHzBetweenTwentyAndSixtyMs) {
  // 1 kHz, ten times weaker than a 90 Hz tone that has ended after 15 ms: the window at
  // 20 .. 60 ms sees only the 1 kHz tone.
  std::vector<float> signal(static_cast<size_t>(kRate), 0.0f);
  for (size_t n = 0; n < signal.size(); ++n) {
    double t = n / kRate;
    signal[n] = static_cast<float>(0.05 * std::sin(2 * M_PI * 1000 * t) +
                                   (t < 0.015 ? 0.5 * std::sin(2 * M_PI * 90 * t + 0.1) : 0));
  }
  EXPECT_NEAR(HitFigures::measure(signal, kRate).pitchHz, 1000, 1.0);
}

TEST(HitFigures, WhiteNoiseHasItsCentroidAtAQuarterOfTheRate) {
  // A flat power spectrum from 0 to rate / 2 has its power-weighted mean at rate / 4.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
  std::vector<float> signal(static_cast<size_t>(kRate));
  for (float& x : signal)
    x = uniform(random);
  HitFigures f = HitFigures::measure(signal, kRate);
  EXPECT_NEAR(f.centroidHz, kRate / 4, 0.03 * kRate / 4);
  EXPECT_NEAR(f.onsetSeconds, 0, 1 / kRate);
  EXPECT_LT(std::fabs(f.dcShare), 0.05);
  EXPECT_FALSE(f.fallComplete); // steady noise never falls
}

TEST(HitFigures, ADcStepIsAllOffsetAndHasNoSpectrumOnceItsMeanIsRemoved) {
  std::vector<float> signal(static_cast<size_t>(kRate), 0.0f);
  for (size_t n = 1000; n < signal.size(); ++n)
    signal[n] = 0.25f;
  HitFigures f = HitFigures::measure(signal, kRate);
  EXPECT_DOUBLE_EQ(f.onsetSeconds, 1000 / kRate);
  EXPECT_NEAR(f.dcShare, 1.0, 1e-9);
  EXPECT_NEAR(f.peakDb, 20 * std::log10(0.25), 1e-6);
  EXPECT_NEAR(f.centroidHz, 0, 1e-6);
  EXPECT_FALSE(f.fallComplete);

  for (float& x : signal)
    x = -x;
  EXPECT_NEAR(HitFigures::measure(signal, kRate).dcShare, -1.0, 1e-9);
}

TEST(HitFigures, ASteadyKiloHertzSineHasTheLoudnessOfItsLevelLessThreeDecibels) {
  // EBU R128 / ITU-R BS.1770: a full-scale 1 kHz sine in one channel reads -3.01 LUFS.
  std::vector<float> signal(static_cast<size_t>(2 * kRate));
  for (size_t n = 0; n < signal.size(); ++n)
    signal[n] = static_cast<float>(0.25 * std::sin(2 * M_PI * 1000 * n / kRate + 0.2));
  EXPECT_NEAR(HitFigures::measure(signal, kRate).loudnessLufs, 20 * std::log10(0.25) - 3.01, 0.1);
}

TEST(HitFigures, NothingAboveTheThresholdIsSilent) {
  std::vector<float> signal(1000, 0.9e-5f);
  signal[500] = -1e-5f; // the threshold itself is not above it
  EXPECT_TRUE(HitFigures::measure(signal, kRate).silent);
  EXPECT_EQ(HitFigures::onset(signal), signal.size());
}

TEST(HitFigures, TheRmsEnvelopeIsCentredAndCountsZerosBeyondTheEnds) {
  std::vector<float> ones(100, 1.0f);
  std::vector<double> envelope = HitFigures::rmsEnvelope(ones.data(), ones.size(), 10);
  EXPECT_DOUBLE_EQ(envelope[50], 1.0);
  EXPECT_DOUBLE_EQ(envelope[0], std::sqrt(0.5));  // 5 of its 10 samples lie before the start
  EXPECT_DOUBLE_EQ(envelope[99], std::sqrt(0.6)); // samples 94 .. 99 of 94 .. 103
}
