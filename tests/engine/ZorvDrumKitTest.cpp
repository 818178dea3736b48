// Drum kit: note routing with truncation, the float mix, parameter pass-through, block tick.
#include "ZorvDrumKit.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

using stk::StkFloat;
using stk::ZorvDrum;
using stk::ZorvDrumKit;

namespace {

struct KitTest : ::testing::Test {
  void SetUp() override {
    stk::Stk::setSampleRate(44100.0);
    kit = std::make_unique<ZorvDrumKit>();
  }
  bool sounding(int drum) { return kit->drums[drum]->oscEnvelope->state != Glimber::IDLE; }
  std::unique_ptr<ZorvDrumKit> kit;
};

} // namespace

TEST_F(KitTest, FiveDrumsOnTheirNotes) {
  EXPECT_EQ(kit->nDrums, 5);
  const int notes[] = {36, 38, 39, 42, 46};
  for (int d = 0; d < 5; d++) {
    EXPECT_EQ(kit->drumNotes[d], notes[d]);
    EXPECT_EQ(kit->getDrumNumForNote(notes[d]), d);
    EXPECT_EQ(kit->getDrumNumForNote(notes[d] + 0.99), d);
  }
  EXPECT_EQ(kit->getDrumNumForNote(37), -1);
  EXPECT_EQ(kit->getDrumNumForNote(35.99), -1);
  EXPECT_EQ(kit->getDrumNumForNote(-36), -1);
}

TEST_F(KitTest, NoteOnStartsOnlyTheMatchingDrum) {
  kit->noteOn(36, 0.5);
  EXPECT_EQ(kit->drums[0]->amplitude, 0.5f);
  kit->noteOn(46.7, 0.25);
  EXPECT_EQ(kit->drums[4]->amplitude, 0.25f);
  kit->noteOn(37, 1.0);
  kit->noteOn(1000, 1.0);
  kit->tick();
  EXPECT_TRUE(sounding(0));
  EXPECT_FALSE(sounding(1));
  EXPECT_FALSE(sounding(2));
  EXPECT_FALSE(sounding(3));
  EXPECT_TRUE(sounding(4));
}

TEST_F(KitTest, NoteOffReleasesOnlyTheMatchingDrum) {
  for (int note : {36, 38, 39, 42, 46})
    kit->noteOn(note, 1.0);
  kit->tick();
  kit->noteOff(42.5);
  kit->noteOff(40);
  for (int d = 0; d < 5; d++)
    EXPECT_EQ(kit->drums[d]->oscEnvelope->state, d == 3 ? Glimber::RELEASE : Glimber::ATTACK);
}

TEST_F(KitTest, MixIsTheSumRoundedToSinglePrecision) {
  for (int i = 0; i < 100; i++)
    ASSERT_EQ(kit->tick(), 0.0);
  kit->noteOn(36, 1.0);
  kit->noteOn(39, 0.8);
  kit->setParam(2, ZorvDrum::NOISE_RESONANCE, 0.9);
  int inexact = 0;
  for (int i = 0; i < 5000; i++) {
    StkFloat mix = kit->tick();
    double exact = kit->drums[0]->lastOut() + kit->drums[2]->lastOut();
    ASSERT_EQ(mix, static_cast<float>(exact)) << i;
    inexact += mix != exact;
  }
  EXPECT_GT(inexact, 100); // the rounding is really exercised
}

TEST_F(KitTest, ParametersPassThroughToTheVoice) {
  EXPECT_EQ(kit->getNParamsFor(-7), 21);
  EXPECT_EQ(kit->getNParamsFor(99), 21);
  kit->setParam(1, 4, 0.75);
  EXPECT_EQ(kit->getParam(1, 4), 0.75);
  EXPECT_EQ(kit->drums[1]->controlInspect(4), 0.75);
  EXPECT_EQ(kit->getParam(0, 4), 0.2);
  kit->setParam(1, 21, 0.9);
  kit->setParam(1, -1, 0.9);
  EXPECT_EQ(kit->getParam(1, 21), 0.0);
  for (int p = 0; p < 21; p++)
    EXPECT_EQ(kit->getParam(1, p), p == 4 ? 0.75 : kit->getParam(0, p));
  EXPECT_STREQ(kit->getParamName(1, 25), "Pan");
  EXPECT_STREQ(kit->getParamName(3, -2), "B+-");
  EXPECT_STREQ(kit->getParamName(2, 13), "OR~");
}

TEST_F(KitTest, BlockTickFillsOneChannelAndReportsItsStatus) {
  ZorvDrumKit twin;
  for (int d = 0; d < 5; d++)
    enginetest::copyNoiseTables(*kit->drums[d], *twin.drums[d]);
  kit->noteOn(38, 1.0);
  twin.noteOn(38, 1.0);
  stk::StkFrames frames(100, 2);
  for (unsigned i = 0; i < 100; i++)
    frames(i, 0) = -3.0;
  std::ostringstream captured;
  std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
  stk::Stk::showWarnings(true);
  kit->tick(frames, 1);
  stk::Stk::showWarnings(false);
  std::cerr.rdbuf(saved);
  EXPECT_EQ(captured.str(), "\nZorvDrumKit::tick(frames, chan)\n\n");
  int nonZero = 0;
  for (unsigned i = 0; i < 100; i++) {
    EXPECT_EQ(frames(i, 0), -3.0);
    EXPECT_EQ(frames(i, 1), twin.tick()) << i;
    nonZero += frames(i, 1) != 0.0;
  }
  EXPECT_GT(nonZero, 50);
}
