// Golden renders of single hits, drum by drum, with the clock fixed so that the noise tables are
// known: every sample compared through a checksum plus a few samples, and peak, decay and pitch
// checked without the stored numbers. Each render is made three ways: tick by tick, and in
// blocks on the SSE2 and on the AVX2 path.
#include "GoldenExpected.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"
#include "ZorvDrumLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

using stk::StkFloat;
using stk::ZorvDrum;

// Linked with --wrap=time: every clock-seeded noise table comes from this one second.
extern "C" time_t __wrap_time(time_t* out) {
  if (out) *out = 1700000000;
  return 1700000000;
}

namespace {

const int kitNotes[] = {36, 38, 39, 42, 46};

enum Route { TICK, SSE2_BLOCKS, AVX2_BLOCKS };

// One hit at velocity 100 of one drum in a fresh kit, with a noteOff at releaseAt; in blocks of
// 256 frames, as the audio callback renders, cut where the noteOff comes.
std::vector<StkFloat> renderHit(int drum, std::vector<std::pair<int, StkFloat>> params, int length,
                                int releaseAt, Route route) {
  stk::Stk::setSampleRate(44100.0);
  stk::ZorvDrumKit kit;
  for (auto [param, value] : params)
    kit.setParam(drum, param, value);
  kit.noteOn(kitNotes[drum], 100 / 128.0);
  std::vector<StkFloat> out(length);
  std::vector<float> block(256);
  stk::ZorvDrumLanes::choosePath(route == AVX2_BLOCKS ? stk::ZorvDrumLanes::Path::AVX2
                                                      : stk::ZorvDrumLanes::Path::SSE2);
  for (int i = 0; i < length;) {
    if (i == releaseAt) kit.noteOff(kitNotes[drum]);
    int frames = std::min(256, length - i);
    if (i < releaseAt) frames = std::min(frames, releaseAt - i);
    if (route == TICK) frames = 1;
    if (route == TICK)
      block[0] = static_cast<float>(kit.tick());
    else
      kit.renderBlock(block.data(), frames);
    for (int k = 0; k < frames; k++)
      out[i++] = block[k];
  }
  stk::ZorvDrumLanes::choosePath(stk::ZorvDrumLanes::Path::AUTOMATIC);
  return out;
}

std::vector<Route> routes() {
  if (stk::ZorvDrumLanes::avx2Supported()) return {TICK, SSE2_BLOCKS, AVX2_BLOCKS};
  return {TICK, SSE2_BLOCKS};
}

void expectGolden(const std::vector<StkFloat>& render, const golden::Expected& expected) {
  uint64_t hash = 14695981039346656037ull; // FNV-1a over the samples' bits
  for (StkFloat s : render) {
    uint64_t bits;
    std::memcpy(&bits, &s, sizeof bits);
    for (int byte = 0; byte < 8; byte++)
      hash = (hash ^ ((bits >> (8 * byte)) & 0xff)) * 1099511628211ull;
  }
  if (std::getenv("TAMBREL_PRINT_GOLDEN"))
    std::printf("checksum 0x%016llx\n", (unsigned long long)hash);
  for (int k = 0; k < golden::probeCount; k++)
    EXPECT_EQ(render[golden::probes[k]], expected.probes[k]) << "sample " << golden::probes[k];
  EXPECT_EQ(hash, expected.checksum);
}

double rms(const std::vector<StkFloat>& s, int from, int to) {
  double sum = 0;
  for (int i = from; i < to; i++)
    sum += s[i] * s[i];
  return std::sqrt(sum / (to - from));
}

} // namespace

TEST(GoldenRender, DefaultHitOfEachDrumPeaksAndDecaysToSilence) {
  for (int n = 0; n < 5 * static_cast<int>(routes().size()); n++) {
    int drum = n % 5;
    SCOPED_TRACE(::testing::Message() << "drum " << drum << ", route " << n / 5);
    std::vector<StkFloat> hit = renderHit(drum, {}, golden::defaultLength, 13000, routes()[n / 5]);
    expectGolden(hit, golden::defaultHit);
    // Gains 0.3 * 0.7 (tone) and 0.3 * 0.5 (noise) times velocity 0.78; filter peak ~2.5.
    double peak = 0;
    for (int i = 0; i < 2000; i++)
      peak = std::max(peak, std::fabs(hit[i]));
    EXPECT_TRUE(peak > 0.15 && peak < 0.6) << peak;
    // Linear envelopes: 1 at sample 38, 0 at 38 + 12632, then exactly silent.
    for (int w = 0; w + 4000 <= 12000; w += 2000)
      EXPECT_GT(rms(hit, w, w + 2000), rms(hit, w + 2000, w + 4000)) << "window " << w;
    EXPECT_NE(hit[12669], 0.0);
    EXPECT_EQ(rms(hit, 12670, golden::defaultLength), 0.0);
  }
}

TEST(GoldenRender, SecondSoundOfEachDrum) {
  // Bend down, 8 folds, ringing filter, audible random pitch, quicker envelopes.
  const StkFloat set[] = {0.0, 0.75, 0.5, 0.6, 0.45, 0.9,  0.0, 0.9, 0.25, 0.2, 0.8,
                          0.8, 0.4,  0.3, 0.9, 0.6,  0.35, 0.1, 0.9, 0.5,  0.25};
  std::vector<std::pair<int, StkFloat>> params;
  for (int p = 0; p < 21; p++)
    params.push_back({p, set[p]});
  for (int n = 0; n < 5 * static_cast<int>(routes().size()); n++) {
    int drum = n % 5;
    SCOPED_TRACE(::testing::Message() << "drum " << drum << ", route " << n / 5);
    std::vector<StkFloat> hit =
        renderHit(drum, params, golden::secondLength, 4000, routes()[n / 5]);
    expectGolden(hit, golden::secondHit);
    EXPECT_GT(rms(hit, 3000, 4000), 4 * rms(hit, 20000, 21000)); // released at 4000
    EXPECT_EQ(hit.back(), 0.0);
  }
}

// "B+-" at 0.5 removes the bend from the second refresh on; noise level 0 leaves the tone.
TEST(GoldenRender, UnbentToneSitsAt83Point55Hz) {
  std::vector<StkFloat> tone;
  for (Route route : routes()) {
    SCOPED_TRACE(::testing::Message() << "route " << route);
    tone = renderHit(0, {{ZorvDrum::BEND_AMOUNT, 0.5}, {ZorvDrum::NOISE_LEVEL, 0.0}},
                     golden::toneLength, -1, route);
    expectGolden(tone, golden::unbentTone);
  }
  double first = -1, last = -1; // rising zero crossings, interpolated
  int cycles = -1;
  for (int i = 1001; i < 11000; i++)
    if (tone[i - 1] < 0 && tone[i] >= 0) {
      last = i - 1 + tone[i - 1] / (tone[i - 1] - tone[i]);
      first = first < 0 ? last : first;
      cycles++;
    }
  ASSERT_GT(cycles, 15); // about 19 cycles of 528 samples
  // 15 + 3900 * 0.26^3 = 83.546 Hz, plus random steps of at most 4000 * 0.02^3 = 0.032 Hz.
  EXPECT_NEAR(cycles * 44100.0 / (last - first), 83.55, 0.05);
}
