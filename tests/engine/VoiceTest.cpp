// Drum voice and kit: timing at the defaults, when parameters reach the sound, silence, clipping,
// the refresh cadence across the counter wrap, note routing, the float mix and the block ticks.
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>

using stk::StkFloat;
using stk::ZorvDrum;

namespace {

std::unique_ptr<ZorvDrum> hitVoice(std::initializer_list<std::pair<int, StkFloat>> params) {
  stk::Stk::setSampleRate(44100.0);
  auto voice = std::make_unique<ZorvDrum>();
  for (auto [param, value] : params)
    voice->controlChange(param, value);
  voice->noteOn(36, 1.0);
  return voice;
}

// What a block tick printed on standard error while warnings are on.
template <typename Render> std::string statusOf(Render render) {
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  stk::Stk::showWarnings(true);
  render();
  stk::Stk::showWarnings(false);
  std::cerr.rdbuf(saved);
  return captured.str();
}

} // namespace

TEST(ZorvDrum, NewVoiceDefaultsNamesAndSilence) {
  ZorvDrum voice;
  const char* names = "B+- BAtk BDcy NB~ NFrq NRso NCsh NAtk NDcy NVlo NLvl OB~ OFrq OR~ ORSp "
                      "OAtk ODcy OVlo OLvl Vol Pan";
  std::string joined;
  for (int p = 0; p < 21; p++)
    joined += std::string(p ? " " : "") + voice.getParamName(p);
  EXPECT_EQ(joined, names);
  EXPECT_STREQ(voice.getParamName(-3), "B+-");
  EXPECT_STREQ(voice.getParamName(99), "Pan");
  voice.controlChange(21, 0.3);
  voice.controlChange(-1, 0.3);
  EXPECT_TRUE(voice.controlInspect(4) == 0.2 && voice.controlInspect(21) == 0.0);
  // Values read from the first sounding sample, before the first refresh sets them.
  EXPECT_TRUE(voice.bendDepth == 1.0f && voice.oscBendCubed == 0.125f &&
              voice.oscTuneCubed == static_cast<float>(0.26 * 0.26 * 0.26));
  EXPECT_EQ(voice.voiceFilter->cutoff, 8820.0f);
  for (int i = 0; i < 500; i++)
    ASSERT_EQ(voice.tick(), 0.0);
  EXPECT_EQ(voice.sampleCounter, 0);
}

TEST(ZorvDrum, DefaultHitRisesIn39TicksFallsIn12632AndWaitsForNoteOff) {
  auto voice = hitVoice({});
  voice->tick();
  EXPECT_NEAR(voice->oscEnvValue, 0.0258425, 5e-8);
  for (int i = 2; i < 39; i++) {
    voice->tick();
    ASSERT_LT(voice->noiseEnvValue, 1.0f) << i;
  }
  voice->tick();
  EXPECT_TRUE(voice->noiseEnvValue == 1.0f && voice->oscEnvValue == 1.0f);
  int decay = 0;
  for (; voice->oscEnvelope->state == Glimber::DECAY && decay < 20000; decay++)
    voice->tick();
  EXPECT_EQ(decay, 12632);
  for (int i = 0; i < 300; i++)
    ASSERT_EQ(voice->tick(), 0.0);
  EXPECT_EQ(voice->sampleCounter, 39 + 12632 + 300);
  voice->noteOff(0);
  voice->tick(); // the release from 0 ends at once: silent before counting
  for (int i = 0; i < 100; i++)
    ASSERT_EQ(voice->tick(), 0.0);
  EXPECT_EQ(voice->sampleCounter, 39 + 12632 + 300);
}

TEST(ZorvDrum, SilentVoiceAdvancesOnlyItsBendEnvelope) {
  ZorvDrum voice;
  voice.bendEnvelope->keyOn();
  for (int i = 0; i < 10; i++)
    voice.tick();
  EXPECT_GT(voice.bendEnvelope->value, 0.25f);
  EXPECT_TRUE(voice.noiseSource.counter == 0 && voice.pitchNoise.counter == 0);
  EXPECT_TRUE(voice.voiceFilter->in1 == 0.0f && voice.sampleCounter == 0);
}

TEST(ZorvDrum, LevelActsAtOnceCutoffAtTheNextMultipleOf400) {
  auto voice = hitVoice({{ZorvDrum::OSC_LEVEL, 0.0}, {ZorvDrum::NOISE_BEND, 0.0}});
  for (int i = 0; i < 450; i++)
    voice->tick();
  EXPECT_NE(voice->tick(), 0.0);
  voice->controlChange(ZorvDrum::NOISE_LEVEL, 0.0);
  voice->controlChange(ZorvDrum::NOISE_FREQ, 0.9);
  while (voice->sampleCounter < 799) {
    ASSERT_EQ(voice->tick(), 0.0);
    ASSERT_EQ(voice->voiceFilter->cutoff, 1800.0f);
  }
  voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 7400.0f);
}

TEST(ZorvDrum, HalfBendLeavesPitchAndCutoffAloneZeroBendsDownToTheFloor) {
  auto flat = hitVoice({{ZorvDrum::BEND_AMOUNT, 0.5}});
  auto down = hitVoice({{ZorvDrum::BEND_AMOUNT, 0.0}, {ZorvDrum::NOISE_FREQ, 0.0}});
  for (int i = 0; i < 800; i++) // the refresh at 400 still saw the constructor's depth
    flat->tick(), down->tick();
  for (int i = 0; i < 2000; i++) {
    flat->tick();
    ASSERT_TRUE(flat->bendValue == 0.0f && flat->voiceFilter->cutoff == 1800.0f);
  }
  EXPECT_LT(down->bendValue, -0.9f);
  EXPECT_EQ(down->voiceFilter->cutoff, 19.0f);
}

TEST(ZorvDrum, FullGainsClipToExactlyOne) {
  auto voice = hitVoice({{ZorvDrum::NOISE_LEVEL, 1.0},
                         {ZorvDrum::OSC_LEVEL, 1.0},
                         {ZorvDrum::NOISE_VELO, 0.0},
                         {ZorvDrum::OSC_VELO, 0.0},
                         {ZorvDrum::NOISE_RESONANCE, 1.0}});
  int top = 0, bottom = 0;
  for (int i = 0; i < 20000; i++) {
    StkFloat y = voice->tick();
    ASSERT_TRUE(y >= -1.0 && y <= 1.0) << y;
    top += y == 1.0, bottom += y == -1.0;
  }
  EXPECT_TRUE(top > 10 && bottom > 10);
}

TEST(ZorvDrum, RefreshKeepsItsCadenceAcrossTheCounterWrap) {
  auto voice = hitVoice({{ZorvDrum::NOISE_FREQ, 0.5}, {ZorvDrum::NOISE_BEND, 0.0}});
  voice->sampleCounter = ZorvDrum::COUNTER_WRAP - 2;
  voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 8820.0f); // still the constructor's setting
  voice->tick();
  EXPECT_TRUE(voice->sampleCounter == 0 && voice->voiceFilter->cutoff == 4200.0f);
  voice->controlChange(ZorvDrum::NOISE_FREQ, 0.25);
  for (int i = 0; i < 399; i++)
    voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 4200.0f);
  voice->tick();
  EXPECT_EQ(voice->voiceFilter->cutoff, 2200.0f);
}

// The voice folds in float: for every float w in 0 .. 1, 2 (w - 0.5) in double rounds to the
// same float as 2 (w - 0.5f).
TEST(ZorvDrum, FloatFoldPassEqualsTheDoubleFormula) {
  uint32_t mismatches = 0;
  for (uint32_t bits = 0; bits <= 0x3f800000u; bits++) {
    float w, viaDouble, viaFloat;
    std::memcpy(&w, &bits, sizeof w);
    viaDouble = 2 * (w - 0.5);
    viaFloat = 2.0f * (w - 0.5f);
    mismatches += std::memcmp(&viaDouble, &viaFloat, sizeof w) != 0;
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(ZorvDrumKit, NotesAreTruncatedAndOthersIgnored) {
  stk::ZorvDrumKit kit;
  const int notes[] = {36, 38, 39, 42, 46};
  for (int d = 0; d < 5; d++)
    EXPECT_TRUE(kit.drumNotes[d] == notes[d] && kit.getDrumNumForNote(notes[d] + 0.9) == d);
  for (StkFloat stray : {37.0, 35.99, -36.0, 1e300, -1e300, double(NAN)})
    EXPECT_EQ(kit.getDrumNumForNote(stray), -1) << stray;
  kit.noteOn(46.7, 0.25);
  kit.noteOn(37, 1.0);
  kit.noteOn(36, 0.5);
  kit.tick();
  for (int d = 0; d < 5; d++)
    EXPECT_EQ(kit.drums[d]->amplitude, d == 0 ? 0.5f : d == 4 ? 0.25f : 0.0f);
  kit.noteOff(46.2);
  kit.noteOff(40);
  EXPECT_TRUE(kit.drums[4]->oscEnvelope->state == Glimber::RELEASE &&
              kit.drums[0]->oscEnvelope->state == Glimber::ATTACK);
}

TEST(ZorvDrumKit, MixIsTheSumRoundedToSinglePrecision) {
  stk::ZorvDrumKit kit;
  EXPECT_EQ(kit.tick(), 0.0);
  kit.noteOn(36, 1.0);
  kit.noteOn(39, 0.8);
  kit.setParam(2, ZorvDrum::NOISE_RESONANCE, 0.9);
  int rounded = 0;
  for (int i = 0; i < 5000; i++) {
    StkFloat mix = kit.tick();
    double exact = kit.drums[0]->lastOut() + kit.drums[2]->lastOut();
    ASSERT_EQ(mix, static_cast<float>(exact)) << i;
    rounded += mix != exact;
  }
  EXPECT_GT(rounded, 100);
}

TEST(ZorvDrumKit, ParametersPassThroughAndBlockTicksReportStatus) {
  stk::ZorvDrumKit kit;
  kit.setParam(1, 4, 0.75);
  kit.setParam(1, 21, 0.9);
  EXPECT_TRUE(kit.getParam(1, 4) == 0.75 && kit.getParam(0, 4) == 0.2 && kit.getParam(1, 21) == 0);
  EXPECT_TRUE(kit.getNParamsFor(-7) == 21 && kit.getNParamsFor(99) == 21);
  EXPECT_STREQ(kit.getParamName(1, 25), "Pan");
  kit.noteOn(38, 1.0);
  stk::StkFrames frames(100, 2);
  EXPECT_EQ(statusOf([&] { kit.tick(frames, 1); }), "\nZorvDrumKit::tick(frames, chan)\n\n");
  int sounding = 0;
  for (unsigned i = 0; i < 100; i++)
    sounding += frames(i, 0) == 0.0 && frames(i, 1) != 0.0;
  EXPECT_GT(sounding, 90);
  EXPECT_EQ(frames(99, 1), kit.drums[1]->lastOut());
}
