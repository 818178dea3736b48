// Golden renders of single hits, drum by drum, with the clock fixed so the noise tables are known:
// exact comparison against stored checksums and samples, plus checks of peak, decay and pitch
// that do not depend on the stored numbers.
#include "GoldenExpected.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

using stk::StkFloat;
using stk::ZorvDrum;

// Linked with --wrap=time: every clock-seeded noise table comes from this one second.
extern "C" time_t __wrap_time(time_t* out) {
  const time_t fixed = 1700000000;
  if (out) *out = fixed;
  return fixed;
}

namespace {

const int kitNotes[] = {36, 38, 39, 42, 46};
const StkFloat velocity = 100 / 128.0;

// A second sound: bend down, 8 folds, ringing filter, audible random pitch, quicker envelopes.
const StkFloat secondSet[ZorvDrum::N_PARAMS] = {0.0, 0.75, 0.5,  0.6, 0.45, 0.9, 0.0,
                                                0.9, 0.25, 0.2,  0.8, 0.8,  0.4, 0.3,
                                                0.9, 0.6,  0.35, 0.1, 0.9,  0.5, 0.25};

// One hit of one drum in a fresh kit: noteOn, `length` samples with a noteOff at `releaseAt`.
std::vector<StkFloat> renderHit(int drum, const StkFloat* params, int length, int releaseAt) {
  stk::Stk::setSampleRate(44100.0);
  stk::ZorvDrumKit kit;
  if (params)
    for (int p = 0; p < ZorvDrum::N_PARAMS; p++)
      kit.setParam(drum, p, params[p]);
  kit.noteOn(kitNotes[drum], velocity);
  std::vector<StkFloat> out(length);
  for (int i = 0; i < length; i++) {
    if (i == releaseAt) kit.noteOff(kitNotes[drum]);
    out[i] = kit.tick();
  }
  return out;
}

// FNV-1a, 64 bits, over the bit patterns of the samples.
uint64_t checksum(const std::vector<StkFloat>& samples) {
  uint64_t hash = 14695981039346656037ull;
  for (StkFloat s : samples) {
    unsigned char bytes[sizeof s];
    std::memcpy(bytes, &s, sizeof s);
    for (unsigned char b : bytes) {
      hash ^= b;
      hash *= 1099511628211ull;
    }
  }
  return hash;
}

void expectGolden(const std::vector<StkFloat>& render, const golden::Expected& expected, int drum) {
  if (std::getenv("TAMBREL_PRINT_GOLDEN")) {
    std::printf("{0x%016llxull, {", static_cast<unsigned long long>(checksum(render)));
    for (int i : golden::probes)
      std::printf("%a, ", render[i]);
    std::printf("}}\n");
  }
  for (size_t k = 0; k < std::size(golden::probes); k++)
    EXPECT_EQ(render[golden::probes[k]], expected.probes[k])
        << "drum " << drum << " sample " << golden::probes[k];
  EXPECT_EQ(checksum(render), expected.checksum) << "drum " << drum;
}

double rms(const std::vector<StkFloat>& s, int from, int to) {
  double sum = 0;
  for (int i = from; i < to; i++)
    sum += s[i] * s[i];
  return std::sqrt(sum / (to - from));
}

} // namespace

TEST(GoldenRender, DefaultHitOfEachDrum) {
  for (int drum = 0; drum < 5; drum++) {
    std::vector<StkFloat> hit = renderHit(drum, nullptr, golden::defaultLength, 13000);
    expectGolden(hit, golden::defaultHit, drum);

    // Peak: tone gain 0.3 * 0.7 and noise gain 0.3 * 0.5 times the velocity, filter gain ~1-3.
    double peak = 0;
    int peakAt = 0;
    for (int i = 0; i < golden::defaultLength; i++)
      if (std::fabs(hit[i]) > peak) peak = std::fabs(hit[i]), peakAt = i;
    EXPECT_GT(peak, 0.15);
    EXPECT_LT(peak, 0.6);
    EXPECT_LT(peakAt, 2000);
    // Decay: linear envelopes from 1 at sample 38 to 0 at sample 38 + 12632, then silence.
    for (int w = 0; w + 4000 <= 12000; w += 2000)
      EXPECT_GT(rms(hit, w, w + 2000), rms(hit, w + 2000, w + 4000)) << "window " << w;
    EXPECT_GT(rms(hit, 0, 2000), 5 * rms(hit, 10000, 12000));
    EXPECT_NE(hit[12669], 0.0);
    for (int i = 12670; i < golden::defaultLength; i++)
      ASSERT_EQ(hit[i], 0.0) << "sample " << i;
  }
}

TEST(GoldenRender, SecondSoundOfEachDrum) {
  for (int drum = 0; drum < 5; drum++) {
    std::vector<StkFloat> hit = renderHit(drum, secondSet, golden::secondLength, 4000);
    expectGolden(hit, golden::secondHit, drum);
    double peak = 0;
    for (StkFloat s : hit)
      peak = std::max(peak, std::fabs(s));
    EXPECT_GT(peak, 0.3);
    EXPECT_LE(peak, 1.0);
    // The release after sample 4000 runs out (release step 4.18e-5 from below 0.85).
    EXPECT_GT(rms(hit, 3000, 4000), rms(hit, 20000, 21000));
    EXPECT_EQ(hit.back(), 0.0);
  }
}

// With "B+-" at 0.5 the bend is gone from the second refresh on; noise level 0 leaves the tone.
TEST(GoldenRender, UnbentToneSitsAt83Point55Hz) {
  StkFloat params[ZorvDrum::N_PARAMS];
  ZorvDrum defaults;
  for (int p = 0; p < ZorvDrum::N_PARAMS; p++)
    params[p] = defaults.controlInspect(p);
  params[ZorvDrum::BEND_AMOUNT] = 0.5;
  params[ZorvDrum::NOISE_LEVEL] = 0.0;
  std::vector<StkFloat> tone = renderHit(0, params, golden::toneLength, -1);
  expectGolden(tone, golden::unbentTone, 0);

  // Rising zero crossings, interpolated, between samples 1000 and 11000.
  double first = -1, last = -1;
  int cycles = -1;
  for (int i = 1001; i < 11000; i++) {
    if (tone[i - 1] < 0 && tone[i] >= 0) {
      double at = i - 1 + tone[i - 1] / (tone[i - 1] - tone[i]);
      if (first < 0) first = at;
      last = at;
      cycles++;
    }
  }
  ASSERT_GT(cycles, 15); // about 19 cycles of 528 samples
  double hz = cycles * 44100.0 / (last - first);
  // 15 + 3900 * 0.26^3 = 83.546 Hz, plus random steps of at most 4000 * 0.02^3 = 0.032 Hz.
  EXPECT_NEAR(hz, 83.55, 0.05);
}
