// Parameters far outside 0 .. 1: every sample finite within -1 .. 1 in bounded time, and the
// drum sounds again once the parameters are sane.
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <sstream>

using stk::StkFloat;
using stk::ZorvDrum;

namespace {

const StkFloat wild[] = {NAN, INFINITY, -INFINITY, 1e300, -1e300, -1e9};

// Renders n samples, failing on any outside -1 .. 1 (NaN included); returns the peak.
double peakWithinBounds(ZorvDrum& voice, int n, const std::string& what) {
  double peak = 0;
  for (int i = 0; i < n; i++) {
    StkFloat y = voice.tick();
    if (!(std::fabs(y) <= 1.0)) {
      ADD_FAILURE() << what << ": sample " << i << " is " << y;
      return peak;
    }
    peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

void expectRecovery(ZorvDrum& voice, ZorvDrum& defaults, const std::string& what) {
  for (int p = 0; p < ZorvDrum::N_PARAMS; p++)
    voice.controlChange(p, defaults.controlInspect(p));
  voice.noteOff(0);
  peakWithinBounds(voice, 1000, what); // a refresh restarts a runaway filter (wild "NRso")
  voice.noteOn(36, 1.0);
  EXPECT_GT(peakWithinBounds(voice, 2000, what), 0.1) << what << ": silent after recovery";
}

} // namespace

TEST(Hardening, EveryParameterAtEveryWildValueThenAllAtOnce) {
  stk::Stk::setSampleRate(44100.0);
  ZorvDrum voice, defaults;
  auto start = std::chrono::steady_clock::now();
  for (int p = 0; p <= ZorvDrum::N_PARAMS; p++) {
    for (StkFloat value : wild) {
      std::ostringstream what;
      what << (p < ZorvDrum::N_PARAMS ? voice.getParamName(p) : "all") << " = " << value;
      for (int q = 0; q < ZorvDrum::N_PARAMS; q++)
        if (q == p || p == ZorvDrum::N_PARAMS) voice.controlChange(q, value);
      voice.noteOn(36, p == ZorvDrum::N_PARAMS ? value : 1.0);
      peakWithinBounds(voice, 1200, what.str());
      expectRecovery(voice, defaults, what.str());
    }
  }
  // 132 rounds of 4200 samples: milliseconds when every sample costs bounded time.
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10);
}

// A noise value of exactly 1 (rand() at its maximum) folds onto itself, 2 (1 - 0.5) = 1: with
// "NCsh" at -inf only the cap on the passes ends the sample.
TEST(Hardening, FoldOfExactlyOneUnderAnEndlessBound) {
  ZorvDrum voice;
  std::fill(std::begin(voice.noiseSource.table), std::end(voice.noiseSource.table), 1.0);
  voice.controlChange(ZorvDrum::NOISE_CRUSH, -INFINITY);
  voice.noteOn(36, 1.0);
  peakWithinBounds(voice, 100, "NCsh = -inf, noise 1");
  EXPECT_EQ(voice.voiceFilter->in1, 1.0f);
}

TEST(Hardening, KitSampleStaysFiniteWithEveryDrumWild) {
  stk::ZorvDrumKit kit;
  for (int d = 0; d < kit.nDrums; d++)
    for (int p = 0; p < 21; p++)
      kit.setParam(d, p, wild[(d + p) % 6]);
  for (int note : {36, 38, 39, 42, 46})
    kit.noteOn(note, 1.0);
  for (int i = 0; i < 20000; i++) {
    StkFloat y = kit.tick();
    ASSERT_TRUE(y >= -5.0 && y <= 5.0) << i << ": " << y;
  }
}
