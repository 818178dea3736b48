// The kit's lanes against five separate voices given the same calls, sample for sample, on the
// SSE2 and the AVX2 path, over long random playing with parameters inside and far outside 0 .. 1.
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"
#include "ZorvDrumLanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

using stk::StkFloat;
using stk::ZorvDrum;
using stk::ZorvDrumLanes;

namespace {

const int kitNotes[] = {36, 38, 39, 42, 46};

typedef ZorvDrumLanes::Path Path;

std::vector<Path> lanePaths() { // automatic: now the lanes, now the voices alone
  if (ZorvDrumLanes::avx2Supported()) return {Path::SSE2, Path::AVX2, Path::AUTOMATIC};
  return {Path::SSE2, Path::AUTOMATIC};
}

const char* nameOf(Path path) {
  return path == Path::SSE2 ? "SSE2" : path == Path::AVX2 ? "AVX2" : "automatic";
}

struct PathChoice {
  explicit PathChoice(Path path) { ZorvDrumLanes::choosePath(path); }
  ~PathChoice() { ZorvDrumLanes::choosePath(Path::AUTOMATIC); }
};

uint32_t bitsOf(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// A parameter value as a player, a soundset file or a fault might give it.
StkFloat anyValue(std::mt19937& rng) {
  const StkFloat wild[] = {NAN, INFINITY, -INFINITY, 1e300, -1e9, -3.5, 7.25, 0.0, 1.0};
  switch (rng() % 4) {
  case 0:
    return wild[rng() % 9];
  case 1:
    return std::uniform_real_distribution<StkFloat>(-20, 20)(rng);
  default:
    return std::uniform_real_distribution<StkFloat>(0, 1)(rng);
  }
}

// A kit and five separate voices made with the same seed, to be given the same calls.
struct KitBesideVoices {
  explicit KitBesideVoices(unsigned int seed) : kit(seed) {
    for (auto& voice : alone)
      voice = std::make_unique<ZorvDrum>(seed);
  }
  // The five voices' next samples, summed as the kit sums them.
  float voicesSample() {
    float sum = 0.0f;
    for (auto& voice : alone)
      sum = sum + voice->nextSample();
    return sum;
  }
  stk::ZorvDrumKit kit;
  std::unique_ptr<ZorvDrum> alone[5];
};

void expectSameVoice(ZorvDrum& lane, ZorvDrum& alone, int drum, long at) {
  SCOPED_TRACE(::testing::Message() << "drum " << drum << " after sample " << at);
  EXPECT_EQ(lane.sampleCounter, alone.sampleCounter);
  EXPECT_EQ(bitsOf(lane.bendValue), bitsOf(alone.bendValue));
  EXPECT_EQ(bitsOf(lane.noiseEnvValue), bitsOf(alone.noiseEnvValue));
  EXPECT_EQ(bitsOf(lane.oscEnvValue), bitsOf(alone.oscEnvValue));
  EXPECT_EQ(lane.oscEnvelope->state, alone.oscEnvelope->state);
  EXPECT_EQ(bitsOf(lane.voiceFilter->out1), bitsOf(alone.voiceFilter->out1));
  EXPECT_EQ(bitsOf(lane.voiceFilter->a1), bitsOf(alone.voiceFilter->a1));
  EXPECT_EQ(lane.noiseSource.index, alone.noiseSource.index);
  EXPECT_EQ(lane.noiseSource.lastOut(), alone.noiseSource.lastOut());
  EXPECT_EQ(lane.oscillator.lastOut(), alone.oscillator.lastOut());
  EXPECT_EQ(lane.lastOut(), alone.lastOut());
}

} // namespace

TEST(KitLanes, RandomPlayingMatchesFiveSeparateVoices) {
  for (Path path : lanePaths()) {
    SCOPED_TRACE(nameOf(path));
    PathChoice choice(path);
    stk::Stk::setSampleRate(44100.0);
    KitBesideVoices both(7);
    stk::ZorvDrumKit& kit = both.kit;
    auto& alone = both.alone;
    std::mt19937 rng(1999 + static_cast<int>(path));
    std::vector<float> block(1000);
    long at = 0, mismatches = 0, sounding = 0;
    for (int round = 0; round < 3000 && mismatches == 0; round++) {
      int drum = rng() % 5;
      switch (rng() % 8) {
      case 0:
      case 1: { // mostly sane velocities, now and then a wild one
        StkFloat velocity = rng() % 6 ? (1 + rng() % 127) / 128.0 : anyValue(rng);
        kit.noteOn(kitNotes[drum] + 0.5, velocity);
        alone[drum]->noteOn(kitNotes[drum] + 0.5, velocity);
        break;
      }
      case 2:
        kit.noteOff(kitNotes[drum]);
        alone[drum]->noteOff(0.0);
        break;
      case 3: // a new sound for one drum
        for (int p = 0; p < ZorvDrum::N_PARAMS; p++) {
          StkFloat value = std::uniform_real_distribution<StkFloat>(0, 1)(rng);
          kit.setParam(drum, p, value);
          alone[drum]->controlChange(p, value);
        }
        break;
      case 4: { // one knob turned anywhere, out-of-range numbers included
        int p = static_cast<int>(rng() % 23) - 1;
        StkFloat value = anyValue(rng);
        kit.setParam(drum, p, value);
        alone[drum]->controlChange(p, value);
        break;
      }
      case 5: // the counter about to wrap
        if (rng() % 4 == 0)
          kit.drums[drum]->sampleCounter = alone[drum]->sampleCounter =
              ZorvDrum::COUNTER_WRAP - 1 - static_cast<int32_t>(rng() % 900);
        break;
      case 6: // another sample rate now and then: the oscillators' rates are set again
        if (rng() % 50 == 0) {
          const StkFloat hz = rng() % 2 ? 48000.0 : 44100.0;
          kit.setSampleRate(hz);
          for (auto& voice : alone)
            voice->setSampleRate(hz);
        }
        break;
      default:
        break;
      }
      unsigned int frames = rng() % 4 == 0 ? 1 + rng() % 8 : 1 + rng() % 999;
      bool byTick = rng() % 10 == 0;
      for (unsigned int i = 0; i < frames && byTick; i++)
        block[i] = static_cast<float>(kit.tick());
      if (!byTick) kit.renderBlock(block.data(), frames);
      for (unsigned int i = 0; i < frames; i++, at++) {
        const float sum = both.voicesSample();
        sounding += sum != 0.0f;
        if (bitsOf(block[i]) != bitsOf(sum) && mismatches++ < 5)
          ADD_FAILURE() << "sample " << at << ": lanes " << block[i] << ", voices " << sum;
      }
      EXPECT_EQ(kit.lastOut(), block[frames - 1]);
      for (int d = 0; d < 5; d++)
        expectSameVoice(*kit.drums[d], *alone[d], d, at);
    }
    EXPECT_GT(at, 1000000);
    EXPECT_GT(sounding, at / 4);
  }
}

// The audio callback renders in blocks between messages; a file renderer may tick sample by
// sample: both give the same samples.
TEST(KitLanes, BlocksOfAnySizeGiveTheSamplesOfTick) {
  for (Path path : lanePaths()) {
    SCOPED_TRACE(nameOf(path));
    PathChoice choice(path);
    stk::Stk::setSampleRate(44100.0);
    stk::ZorvDrumKit byBlock(3), byTick(3);
    std::vector<float> block(4096);
    const unsigned int sizes[] = {1, 2, 3, 17, 64, 256, 399, 400, 401, 1024, 4096};
    for (int hit = 0; hit < 40; hit++) {
      for (auto* kit : {&byBlock, &byTick}) {
        kit->noteOn(kitNotes[hit % 5], 0.2 + 0.02 * hit);
        kit->setParam(hit % 5, hit % 21, 0.05 * (hit % 19));
        if (hit % 3 == 0) kit->noteOff(kitNotes[(hit + 2) % 5]);
      }
      unsigned int frames = sizes[hit % 11];
      byBlock.renderBlock(block.data(), frames);
      for (unsigned int i = 0; i < frames; i++)
        ASSERT_EQ(block[i], byTick.tick()) << "hit " << hit << ", frame " << i;
    }
    float none = 12.5f;
    byBlock.renderBlock(&none, 0);
    EXPECT_EQ(none, 12.5f);
  }
}

// Counters are public: whatever a caller leaves in them (negative, at or past the wrap, noise
// counters above 2^31 or past their period), the lanes count on from there as each voice would.
TEST(KitLanes, CountersLeftAnywhereCountOnAsInTheVoice) {
  const int32_t samples[] = {-7, INT32_MIN + 3, ZorvDrum::COUNTER_WRAP,
                             ZorvDrum::COUNTER_WRAP + 123457, 2147483000};
  const uint32_t holds[] = {3000000000u, 0xffffffffu, 2147483648u, 2147483647u, 40000u};
  const unsigned int sizes[] = {1, 7, 400, 1000, 3};
  for (Path path : lanePaths()) {
    SCOPED_TRACE(nameOf(path));
    PathChoice choice(path);
    stk::Stk::setSampleRate(44100.0);
    KitBesideVoices both(11);
    stk::ZorvDrumKit& kit = both.kit;
    auto& alone = both.alone;
    std::vector<float> block(1000);
    long at = 0;
    for (int round = 0; round < 5; round++) {
      for (int d = 0; d < 5; d++) {
        ZorvDrum* both[] = {kit.drums[d], alone[d].get()};
        if (round == 0) {
          kit.noteOn(kitNotes[d], 0.9);
          alone[d]->noteOn(kitNotes[d], 0.9);
        }
        for (ZorvDrum* voice : both) {
          voice->sampleCounter = samples[(d + round) % 5];
          voice->noiseSource.counter = holds[(d + round) % 5];
          voice->pitchNoise.counter = holds[(d + 2 * round) % 5];
        }
      }
      const unsigned int frames = sizes[round];
      kit.renderBlock(block.data(), frames);
      for (unsigned int i = 0; i < frames; i++, at++) {
        const float sum = both.voicesSample();
        ASSERT_EQ(bitsOf(block[i]), bitsOf(sum)) << "round " << round << ", frame " << i;
      }
      for (int d = 0; d < 5; d++) {
        expectSameVoice(*kit.drums[d], *alone[d], d, at);
        EXPECT_EQ(kit.drums[d]->noiseSource.counter, alone[d]->noiseSource.counter);
        EXPECT_EQ(kit.drums[d]->pitchNoise.counter, alone[d]->pitchNoise.counter);
      }
    }
  }
}
