// Sequences a player makes on the controller, followed through the logic, the kit and the files.
#include "SurfaceRig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kSoundset1[] = "soundset  1.dat";

bool exists(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (file) std::fclose(file);
  return file != nullptr;
}

class PlayerSequence : public testing::Test {
protected:
  PlayerSequence() { rig.takeTexts(); }
  stk::NovationLogic& logic() { return *rig.logic; }
  SurfaceRig rig;
};

// Holding slot 2's assign button and turning its encoder walks through the drum's parameters,
// saving the layout after every change and never touching a parameter value.
TEST_F(PlayerSequence, TurningAnEncoderWithItsAssignButtonHeld) {
  logic().assign(2, 3, 17);
  std::vector<double> values = rig.allParams();
  rig.cc(26, 127);
  rig.takeTexts();
  const char* names[] = {"OLvl   ", "Vol    ", "Pan    ", "B+-    ", "BAtk   "};
  for (const char* name : names) {
    std::remove(kSoundset1);
    rig.cc(2, 65);
    EXPECT_TRUE(exists(kSoundset1)) << "saved after the step to " << name;
    std::vector<unsigned char> file = readBytes(kSoundset1);
    ASSERT_EQ(file.size(), 968u);
    EXPECT_EQ(file[2 * 8], 3);
    EXPECT_EQ(file[2 * 8 + 4], logic().controlAssignment[2].param);
    EXPECT_EQ(rig.takeTexts(), (std::vector<LcdText>{{1, 19, name}, {1, 18, "3"}}));
  }
  EXPECT_EQ(logic().controlAssignment[2].param, 1);
  std::remove(kSoundset1);
  rig.cc(2, 64);
  EXPECT_FALSE(exists(kSoundset1)) << "a step of 0 changes nothing and saves nothing";
  rig.cc(26, 0);
  EXPECT_EQ(rig.allParams(), values);

  rig.cc(2, 70); // assign button up again: the encoder sets the new parameter
  EXPECT_EQ(logic().controlVal[2], 5 + 6);
  EXPECT_EQ(rig.kit.getParam(3, 1), 11 / 128.0);
}

// A slow sweep of pot 4 with its assign button held selects every parameter once, in order.
TEST_F(PlayerSequence, SweepingAPotSelectsEveryParameterInOrder) {
  logic().assign(12, 2, 0);
  rig.cc(36, 1);
  std::vector<int> selected;
  for (int position = 0; position <= 127; ++position) {
    rig.cc(12, position);
    int param = logic().controlAssignment[12].param;
    if (selected.empty() || selected.back() != param) selected.push_back(param);
  }
  std::vector<int> every;
  for (int p = 0; p <= 20; ++p)
    every.push_back(p);
  EXPECT_EQ(selected, every);
  EXPECT_EQ(logic().controlAssignment[12].drum, 2);

  // The position is kept while the button is up: pressing it again selects from it again.
  rig.cc(36, 0);
  rig.cc(12, 30);
  logic().assign(12, 2, 3);
  rig.cc(36, 1);
  EXPECT_EQ(logic().controlAssignment[12].param, 20);
  EXPECT_EQ(rig.kit.getParam(2, 20), 30 / 128.0) << "the move while up set the parameter";
}

// Holding drum step +1 with two slots held steps both on every event, whatever its control.
TEST_F(PlayerSequence, HoldingDrumStepWhileAssigning) {
  rig.cc(24, 1);
  rig.cc(39, 1);
  rig.cc(88, 1);
  EXPECT_EQ(logic().controlAssignment[0].drum, 1);
  EXPECT_EQ(logic().controlAssignment[15].drum, 1);
  rig.cc(20, 5);
  rig.cc(20, 6);
  rig.cc(20, 7);
  EXPECT_EQ(logic().controlAssignment[0].drum, 4);
  rig.cc(0, 64);
  EXPECT_EQ(logic().controlAssignment[0].drum, 0) << "wraps from 4 to 0";
  rig.cc(89, 1);
  EXPECT_EQ(logic().controlAssignment[15].drum, 4) << "the step down takes over at once";
  rig.cc(89, 0);
  rig.cc(20, 8);
  EXPECT_EQ(logic().controlAssignment[15].drum, 4);
  EXPECT_EQ(readBytes(kSoundset1)[15 * 8], 4) << "the last change was saved";
}

// Copy drum 0 into the transfer file, then paste it into drums 2 and 3 with Paste held.
TEST_F(PlayerSequence, CopyingOneDrumIntoTwoOthers) {
  for (int j = 0; j < 21; ++j)
    rig.kit.setParam(0, j, j / 32.0);
  rig.cc(86, 1);
  rig.cc(40, 1);
  rig.cc(40, 0);
  rig.cc(86, 0);
  rig.cc(87, 1);
  EXPECT_EQ(rig.cc(42, 1), "42 1\nload 2\n");
  rig.cc(42, 0);
  EXPECT_EQ(rig.cc(43, 1), "43 1\nload 3\n");
  rig.cc(43, 0);
  rig.cc(87, 0);
  for (int j = 0; j < 21; ++j) {
    EXPECT_EQ(rig.kit.getParam(2, j), j / 32.0);
    EXPECT_EQ(rig.kit.getParam(3, j), j / 32.0);
  }
  EXPECT_NE(rig.kit.getParam(1, 4), 4 / 32.0);
}

// Rand with two drum buttons held randomizes both drums on every event, each to a new set.
TEST_F(PlayerSequence, RandomizingTwoDrums) {
  std::vector<double> start = rig.allParams();
  rig.cc(84, 1);
  rig.cc(41, 1);
  rig.cc(44, 1);
  std::vector<double> first = rig.allParams();
  rig.cc(20, 1);
  std::vector<double> second = rig.allParams();
  for (int j = 0; j < 21; ++j) {
    for (int drum : {1, 4}) {
      double value = second[21 * drum + j];
      EXPECT_TRUE(value >= 0.0 && value < 1.0);
      EXPECT_NE(value, first[21 * drum + j]);
    }
    for (int drum : {0, 2, 3})
      EXPECT_EQ(second[21 * drum + j], start[21 * drum + j]);
  }
  rig.cc(84, 0);
  rig.cc(20, 1);
  EXPECT_EQ(rig.allParams(), second) << "without Rand the held buttons do nothing";
}

// Choosing soundset 9 and loading it must not leave the layout saving into soundset 8.
TEST_F(PlayerSequence, LoadingSoundsetNineKeepsSavingToNine) {
  for (int step = 0; step < 10; ++step) {
    rig.cc(90, 1);
    rig.cc(90, 0);
  }
  EXPECT_EQ(logic().soundsetNumber, 9);
  rig.cc(75, 1);
  EXPECT_EQ(logic().soundsetNumber, 9);
  rig.cc(24, 1);
  rig.cc(0, 65);
  EXPECT_EQ(ScratchDirectory::entries(), std::vector<std::string>{"soundset  9.dat"});
}

} // namespace
