// Parameters far outside 0 .. 1 (NaN, infinities, huge and large negative values): every sample
// stays finite within -1 .. 1 in bounded time, and the drum sounds again once they are sane.
#include "EngineTestSupport.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>

using stk::StkFloat;
using stk::ZorvDrum;

namespace {

const StkFloat wildValues[] = {std::numeric_limits<StkFloat>::quiet_NaN(),
                               std::numeric_limits<StkFloat>::infinity(),
                               -std::numeric_limits<StkFloat>::infinity(),
                               1e300,
                               -1e300,
                               -1e9};

const StkFloat defaults[ZorvDrum::N_PARAMS] = {1.0, 1.0, 0.3, 1.0, 0.2, 0.6,  0.5,
                                               1.0, 0.3, 0.7, 0.5, 0.5, 0.26, 0.02,
                                               0.5, 1.0, 0.3, 0.7, 0.7, 1.0,  0.5};

// Renders n samples; fails on any sample outside -1 .. 1 (NaN included). Returns the peak.
double renderWithinBounds(ZorvDrum& voice, int n, const char* what) {
  double peak = 0;
  for (int i = 0; i < n; i++) {
    StkFloat y = voice.tick();
    if (!(y >= -1.0 && y <= 1.0)) {
      ADD_FAILURE() << what << ": sample " << i << " is " << y;
      return peak;
    }
    peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

void restoreDefaults(ZorvDrum& voice) {
  for (int p = 0; p < ZorvDrum::N_PARAMS; p++)
    voice.controlChange(p, defaults[p]);
}

// The drum is audible again after its parameters are sane: one release, one new hit.
void expectRecovers(ZorvDrum& voice, const std::string& what) {
  restoreDefaults(voice);
  voice.noteOff(0);
  renderWithinBounds(voice, 2000, what.c_str()); // the refresh clears a runaway filter
  voice.noteOn(36, 1.0);
  double peak = renderWithinBounds(voice, 3000, what.c_str());
  EXPECT_GT(peak, 0.1) << what << ": no sound after recovery";
  EXPECT_TRUE(std::isfinite(voice.voiceFilter->out1)) << what;
}

} // namespace

TEST(ZorvDrumHardening, EachParameterAtEachWildValue) {
  stk::Stk::setSampleRate(44100.0);
  ZorvDrum voice;
  auto start = std::chrono::steady_clock::now();
  for (int p = 0; p < ZorvDrum::N_PARAMS; p++) {
    for (StkFloat wild : wildValues) {
      std::string what = std::string(voice.getParamName(p)) + " = " + std::to_string(wild);
      voice.controlChange(p, wild);
      voice.noteOn(36, 1.0);
      renderWithinBounds(voice, 1200, what.c_str());
      expectRecovers(voice, what);
    }
  }
  // 21 x 6 x 6200 samples: a few tens of ms when each sample costs bounded time.
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 20.0);
}

TEST(ZorvDrumHardening, AllParametersWildAtOnceAndWildAmplitude) {
  stk::Stk::setSampleRate(44100.0);
  for (StkFloat wild : wildValues) {
    ZorvDrum voice;
    std::string what = "all = " + std::to_string(wild);
    for (int p = 0; p < ZorvDrum::N_PARAMS; p++)
      voice.controlChange(p, wild);
    voice.noteOn(36, wild);
    renderWithinBounds(voice, 5000, what.c_str());
    voice.noteOn(36, 1.0);
    expectRecovers(voice, what);
  }
}

// The parameters most likely to blow up the filter: resonance and cutoff far out, then back.
TEST(ZorvDrumHardening, RunawayFilterRestartsAtTheNextRefresh) {
  stk::Stk::setSampleRate(44100.0);
  ZorvDrum voice;
  voice.controlChange(ZorvDrum::NOISE_RESONANCE, 5.0);
  voice.noteOn(36, 1.0);
  renderWithinBounds(voice, 3990, "NRso = 5");
  EXPECT_FALSE(std::isfinite(voice.voiceFilter->out1));
  voice.controlChange(ZorvDrum::NOISE_RESONANCE, 0.6);
  while (voice.sampleCounter % ZorvDrum::REFRESH_INTERVAL != 0)
    voice.tick();
  voice.tick();
  EXPECT_TRUE(std::isfinite(voice.voiceFilter->out1));
  EXPECT_LT(std::fabs(voice.voiceFilter->out1), 10.0f);
}

TEST(ZorvDrumHardening, KitSampleStaysFiniteWithEveryDrumWild) {
  stk::Stk::setSampleRate(44100.0);
  stk::ZorvDrumKit kit;
  for (int d = 0; d < kit.nDrums; d++)
    for (int p = 0; p < 21; p++)
      kit.setParam(d, p, wildValues[(d + p) % 6]);
  for (int note : {36, 38, 39, 42, 46})
    kit.noteOn(note, 1.0);
  for (int i = 0; i < 20000; i++) {
    StkFloat y = kit.tick();
    ASSERT_TRUE(y >= -5.0 && y <= 5.0) << i << ": " << y;
  }
}

// A table value of exactly 1 (rand() at its maximum) folds onto itself: 2 (1 - 0.5) = 1. With an
// unbounded fold count ("NCsh" at -inf) only the cap on the passes ends the sample.
TEST(ZorvDrumHardening, FoldOfExactlyOneEndsUnderAnEndlessBound) {
  stk::Stk::setSampleRate(44100.0);
  ZorvDrum voice;
  std::fill(std::begin(voice.noiseSource.table), std::end(voice.noiseSource.table), 1.0);
  voice.controlChange(ZorvDrum::NOISE_CRUSH, -std::numeric_limits<StkFloat>::infinity());
  voice.noteOn(36, 1.0);
  renderWithinBounds(voice, 100, "NCsh = -inf, noise 1");
  EXPECT_EQ(voice.voiceFilter->in1, 1.0f); // the folded value reached the filter unchanged
}
