// Drum voice: envelope timing at the defaults, when parameters reach the sound, silence, clipping,
// the refresh cadence and the block tick.
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>

using enginetest::copyNoiseTables;
using enginetest::newVoice;
using stk::StkFloat;
using stk::ZorvDrum;

TEST(ZorvDrum, NewVoiceIsSilentAndDoesNotCount) {
  auto voice = newVoice();
  for (int i = 0; i < 1000; i++)
    ASSERT_EQ(voice->tick(), 0.0);
  EXPECT_EQ(voice->sampleCounter, 0);
  EXPECT_EQ(voice->lastFrame()[0], 0.0);
}

TEST(ZorvDrum, ParametersNamesAndDefaults) {
  auto voice = newVoice();
  const char* names[] = {"B+-",  "BAtk", "BDcy", "NB~",  "NFrq", "NRso", "NCsh",
                         "NAtk", "NDcy", "NVlo", "NLvl", "OB~",  "OFrq", "OR~",
                         "ORSp", "OAtk", "ODcy", "OVlo", "OLvl", "Vol",  "Pan"};
  const StkFloat defaults[] = {1.0, 1.0,  0.3,  1.0, 0.2, 0.6, 0.5, 1.0, 0.3, 0.7, 0.5,
                               0.5, 0.26, 0.02, 0.5, 1.0, 0.3, 0.7, 0.7, 1.0, 0.5};
  for (int i = 0; i < 21; i++) {
    EXPECT_STREQ(voice->getParamName(i), names[i]);
    EXPECT_EQ(voice->controlInspect(i), defaults[i]) << names[i];
  }
  EXPECT_STREQ(voice->getParamName(-3), "B+-");
  EXPECT_STREQ(voice->getParamName(99), "Pan");
  EXPECT_EQ(voice->controlInspect(21), 0.0);
  EXPECT_EQ(voice->controlInspect(-1), 0.0);

  voice->controlChange(21, 0.3);
  voice->controlChange(-1, 0.3);
  for (int i = 0; i < 21; i++)
    EXPECT_EQ(voice->controlInspect(i), defaults[i]);
  voice->controlChange(13, 0.125);
  EXPECT_EQ(voice->controlInspect(13), 0.125);
}

TEST(ZorvDrum, ConstructorPresetsTheRefreshedValues) {
  auto voice = newVoice();
  EXPECT_EQ(voice->bendDepth, 1.0f);
  EXPECT_EQ(voice->oscTuneCubed, static_cast<float>(0.26 * 0.26 * 0.26));
  EXPECT_EQ(voice->oscBendCubed, 0.125f);
  EXPECT_EQ(voice->voiceFilter->cutoff, 8820.0f);
  EXPECT_EQ(voice->voiceFilter->damping, 1 - 0.6f);
}

TEST(ZorvDrum, DefaultHitRisesIn39TicksAndFallsIn12632) {
  auto voice = newVoice();
  voice->noteOn(36, 0.5);
  EXPECT_EQ(voice->amplitude, 0.5f);
  voice->tick();
  EXPECT_EQ(voice->sampleCounter, 1);
  for (Glimber* env : {voice->bendEnvelope, voice->noiseEnvelope, voice->oscEnvelope}) {
    EXPECT_NEAR(env->value, 0.0258425, 5e-8);
    EXPECT_EQ(env->state, Glimber::ATTACK);
  }
  for (int i = 2; i < 39; i++)
    voice->tick();
  EXPECT_LT(voice->noiseEnvValue, 1.0f);
  voice->tick();
  EXPECT_EQ(voice->noiseEnvValue, 1.0f);
  EXPECT_EQ(voice->oscEnvValue, 1.0f);
  EXPECT_EQ(voice->bendValue, 1.0f); // bendDepth 1 at "B+-" 1

  int decayTicks = 0;
  while (voice->oscEnvelope->state == Glimber::DECAY && decayTicks < 20000) {
    voice->tick();
    decayTicks++;
  }
  EXPECT_EQ(decayTicks, 12632);
  EXPECT_EQ(voice->oscEnvValue, 0.0f);
  EXPECT_EQ(voice->noiseEnvelope->state, Glimber::SUSTAIN);
}

TEST(ZorvDrum, DecayedVoiceCountsOnUntilNoteOff) {
  auto voice = newVoice();
  voice->noteOn(36, 1.0);
  for (int i = 0; i < 12700; i++)
    voice->tick();
  for (int i = 0; i < 500; i++)
    ASSERT_EQ(voice->tick(), 0.0);
  EXPECT_EQ(voice->sampleCounter, 13200);
  voice->noteOff(0.0);
  EXPECT_EQ(voice->tick(), 0.0);
  EXPECT_EQ(voice->noiseEnvelope->state, Glimber::IDLE);
  EXPECT_EQ(voice->oscEnvelope->state, Glimber::IDLE);
  for (int i = 0; i < 500; i++)
    voice->tick();
  EXPECT_EQ(voice->sampleCounter, 13200); // silent from that tick on, before the count
}

TEST(ZorvDrum, SilentVoiceAdvancesOnlyItsBendEnvelope) {
  auto voice = newVoice();
  voice->bendEnvelope->keyOn();
  uint32_t noiseIndex = voice->noiseSource.index, noiseCounter = voice->noiseSource.counter;
  float in1 = voice->voiceFilter->in1;
  for (int i = 0; i < 10; i++)
    EXPECT_EQ(voice->tick(), 0.0);
  EXPECT_GT(voice->bendEnvelope->value, 0.25f);
  EXPECT_EQ(voice->noiseSource.index, noiseIndex);
  EXPECT_EQ(voice->noiseSource.counter, noiseCounter);
  EXPECT_EQ(voice->voiceFilter->in1, in1);
  EXPECT_EQ(voice->sampleCounter, 0);
}

TEST(ZorvDrum, NoteNumberDoesNotMatter) {
  auto a = newVoice();
  auto b = newVoice();
  copyNoiseTables(*a, *b);
  a->noteOn(36, 0.7);
  b->noteOn(1000, 0.7);
  for (int i = 0; i < 3000; i++)
    ASSERT_EQ(a->tick(), b->tick()) << i;
}

TEST(ZorvDrum, LevelReachesTheSoundAtTheNextSample) {
  auto voice = newVoice();
  voice->controlChange(ZorvDrum::OSC_LEVEL, 0.0);
  voice->noteOn(36, 1.0);
  int nonZero = 0;
  for (int i = 0; i < 200; i++)
    nonZero += voice->tick() != 0.0;
  EXPECT_GT(nonZero, 150);
  voice->controlChange(ZorvDrum::NOISE_LEVEL, 0.0);
  for (int i = 0; i < 200; i++)
    ASSERT_EQ(voice->tick(), 0.0);
}

TEST(ZorvDrum, CutoffChangeWaitsForTheNextMultipleOf400) {
  auto voice = newVoice();
  voice->noteOn(36, 1.0);
  for (int i = 0; i < 450; i++)
    voice->tick();
  float cutoff = voice->voiceFilter->cutoff;
  voice->controlChange(ZorvDrum::NOISE_FREQ, 0.9);
  voice->controlChange(ZorvDrum::NOISE_BEND, 0.0);
  while (voice->sampleCounter < 799) {
    voice->tick();
    ASSERT_EQ(voice->voiceFilter->cutoff, cutoff);
  }
  voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 8000 * 0.9f + 200);
}

TEST(ZorvDrum, HalfBendLeavesPitchAndCutoffAloneAndZeroBendsDown) {
  auto voice = newVoice();
  voice->controlChange(ZorvDrum::BEND_AMOUNT, 0.5);
  voice->noteOn(36, 1.0);
  for (int i = 0; i < 400; i++)
    voice->tick();
  EXPECT_EQ(voice->bendDepth, 0.0f);
  // The refresh at 400 took its cutoff from that sample's bend, still at the old depth 1.
  EXPECT_GT(voice->voiceFilter->cutoff, 5000.0f);
  for (int i = 0; i < 400; i++) {
    voice->tick();
    ASSERT_EQ(voice->bendValue, 0.0f);
  }
  for (int i = 0; i < 4000; i++) {
    voice->tick();
    ASSERT_EQ(voice->bendValue, 0.0f);
    ASSERT_EQ(voice->voiceFilter->cutoff, 1800.0f);
  }

  auto down = newVoice();
  down->controlChange(ZorvDrum::BEND_AMOUNT, 0.0);
  down->controlChange(ZorvDrum::NOISE_FREQ, 0.0);
  down->noteOn(36, 1.0);
  for (int i = 0; i < 800; i++)
    down->tick();
  EXPECT_EQ(down->bendDepth, -1.0f);
  EXPECT_LT(down->bendValue, -0.9f);
  EXPECT_EQ(down->voiceFilter->cutoff, 19.0f); // 200 - 4000 * 0.98 held at the floor
}

TEST(ZorvDrum, FullGainsClipToExactlyOne) {
  auto voice = newVoice();
  voice->controlChange(ZorvDrum::NOISE_LEVEL, 1.0);
  voice->controlChange(ZorvDrum::OSC_LEVEL, 1.0);
  voice->controlChange(ZorvDrum::NOISE_VELO, 0.0);
  voice->controlChange(ZorvDrum::OSC_VELO, 0.0);
  voice->controlChange(ZorvDrum::NOISE_RESONANCE, 1.0);
  voice->noteOn(36, 1.0);
  int top = 0, bottom = 0;
  for (int i = 0; i < 20000; i++) {
    StkFloat y = voice->tick();
    ASSERT_LE(y, 1.0);
    ASSERT_GE(y, -1.0);
    top += y == 1.0;
    bottom += y == -1.0;
  }
  EXPECT_GT(top, 10);
  EXPECT_GT(bottom, 10);
}

TEST(ZorvDrum, RefreshKeepsItsCadenceAcrossTheCounterWrap) {
  auto voice = newVoice();
  voice->noteOn(36, 1.0);
  voice->tick();
  voice->sampleCounter = ZorvDrum::COUNTER_WRAP - 2;
  voice->controlChange(ZorvDrum::NOISE_FREQ, 0.5);
  voice->controlChange(ZorvDrum::NOISE_BEND, 0.0);
  voice->tick();
  EXPECT_EQ(voice->sampleCounter, ZorvDrum::COUNTER_WRAP - 1);
  EXPECT_NE(voice->voiceFilter->cutoff, 4200.0f);
  voice->tick(); // the wrap is itself a multiple of 400
  EXPECT_EQ(voice->sampleCounter, 0);
  EXPECT_EQ(voice->voiceFilter->cutoff, 4200.0f);
  voice->controlChange(ZorvDrum::NOISE_FREQ, 0.25);
  for (int i = 0; i < 399; i++)
    voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 4200.0f);
  voice->tick();
  EXPECT_EQ(voice->sampleCounter, 400);
  EXPECT_EQ(voice->voiceFilter->cutoff, 2200.0f);
}

TEST(ZorvDrum, RefreshSetsNoiseRates) {
  auto voice = newVoice();
  voice->noteOn(36, 1.0);
  for (int i = 0; i < 399; i++)
    voice->tick();
  EXPECT_EQ(voice->noiseSource.period, 1470u);
  EXPECT_EQ(voice->pitchNoise.period, 1470u);
  voice->tick();
  EXPECT_EQ(voice->noiseSource.period, 2u);  // 0.725 * 44100 Hz
  EXPECT_EQ(voice->pitchNoise.period, 420u); // 105 Hz
  voice->controlChange(ZorvDrum::NOISE_CRUSH, 0.0);
  for (int i = 0; i < 400; i++)
    voice->tick();
  EXPECT_EQ(voice->noiseSource.period, 10u); // 4410 Hz
}

TEST(ZorvDrum, BlockTickFillsOneChannelAndReportsItsStatus) {
  auto voice = newVoice();
  auto twin = newVoice();
  copyNoiseTables(*voice, *twin);
  voice->noteOn(36, 1.0);
  twin->noteOn(36, 1.0);
  stk::StkFrames frames(64, 2);
  for (unsigned i = 0; i < 64; i++)
    frames(i, 0) = 7.0;
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  stk::Stk::showWarnings(true);
  voice->tick(frames, 1);
  stk::Stk::showWarnings(false);
  std::cerr.rdbuf(saved);
  EXPECT_EQ(captured.str(), "\nZorvDrum::tick(frames, chan)\n\n");
  for (unsigned i = 0; i < 64; i++) {
    EXPECT_EQ(frames(i, 0), 7.0);
    EXPECT_EQ(frames(i, 1), twin->tick()) << i;
  }
}

// The voice folds in float: 2 (w - 0.5) computed in double and rounded to float must equal
// 2 (w - 0.5f) in float for every float w in 0 .. 1 (the noise values), bit for bit.
TEST(ZorvDrum, FloatFoldPassEqualsTheDoubleFormulaForEveryFloatInZeroToOne) {
  const uint32_t one = 0x3f800000u; // bit pattern of 1.0f
  uint32_t mismatches = 0;
  for (uint32_t bits = 0; bits <= one; bits++) {
    float w;
    std::memcpy(&w, &bits, sizeof w);
    float viaDouble = 2 * (w - 0.5);
    float viaFloat = 2.0f * (w - 0.5f);
    mismatches += std::memcmp(&viaDouble, &viaFloat, sizeof w) != 0;
  }
  EXPECT_EQ(mismatches, 0u);
}
