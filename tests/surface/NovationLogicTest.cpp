// The event pass, one control change at a time: values, selection, modes, labels and refresh.
#include "SurfaceRig.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

std::string refreshLines() {
  std::string lines;
  for (int controller :
       {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 90, 91, 85})
    lines += std::to_string(controller) + " 1\n" + std::to_string(controller) + " 0\n";
  return lines;
}

// What the LCD rows show after a run of text requests.
std::map<int, std::string> screenAfter(const std::vector<LcdText>& texts) {
  std::map<int, std::string> rows;
  for (const LcdText& t : texts) {
    std::string& row = rows[t.row];
    if (row.size() < t.column + t.text.size()) row.resize(t.column + t.text.size(), ' ');
    row.replace(t.column, t.text.size(), t.text);
  }
  return rows;
}

TEST(NovationLogicConstruction, PrintsItsLinesAndDrawsTheDefaultLayout) {
  SurfaceRig rig(false);
  std::string printed = rig.buildLogic();
  EXPECT_EQ(printed, "initControlStates OK\ninitControlAssignmentsAndVals OK\n" + refreshLines());

  stk::NovationLogic& logic = *rig.logic;
  EXPECT_EQ(logic.soundsetNumber, 1);
  EXPECT_EQ(rig.channel, 9);
  for (int slot = 0; slot < 16; ++slot) {
    EXPECT_EQ(logic.controlAssignment[slot].drum, 0);
    EXPECT_EQ(logic.controlAssignment[slot].param, 0);
    EXPECT_EQ(logic.controlVal[slot], 0);
  }
  for (int b = 0; b < 128; ++b)
    EXPECT_FALSE(logic.buttonState[b]) << b;
  EXPECT_EQ(rig.kit.getParam(3, 4), 0.2); // the voices keep their defaults
  EXPECT_TRUE(ScratchDirectory::entries().empty()) << "drawing the LCD saves nothing";

  std::string cells;
  for (int n = 0; n < 8; ++n)
    cells += "0B+-     ";
  cells.pop_back(); // the last cell's gap column is never written
  std::map<int, std::string> screen = screenAfter(rig.takeTexts());
  EXPECT_EQ(screen[1], cells);
  EXPECT_EQ(screen[3], cells);
  EXPECT_EQ(screen[2], std::string(37, ' ') + "Soundset1");
  EXPECT_EQ(screen.count(4), 0u);
}

TEST(NovationLogicConstruction, LoadsSoundsetOneAndShowsItsAssignments) {
  SurfaceRig rig(false);
  std::vector<unsigned char> file(968, 0);
  file[3 * 8] = 2;      // slot 3: drum 2
  file[3 * 8 + 4] = 12; // parameter 12, "OFrq"
  file[11 * 8] = 4;     // slot 11: drum 4, parameter 20, "Pan"
  file[11 * 8 + 4] = 20;
  file[128 + 8 * (21 * 1 + 5) + 7] = 0x3F; // drum 1 parameter 5: bytes of 0.0078125 (2^-7)
  file[128 + 8 * (21 * 1 + 5) + 6] = 0x80;
  writeBytes("soundset  1.dat", file);
  rig.buildLogic();

  EXPECT_EQ(rig.logic->controlAssignment[3].drum, 2);
  EXPECT_EQ(rig.logic->controlAssignment[3].param, 12);
  EXPECT_EQ(rig.kit.getParam(1, 5), 0.0078125);
  EXPECT_EQ(rig.kit.getParam(0, 0), 0.0);
  std::map<int, std::string> screen = screenAfter(rig.takeTexts());
  EXPECT_EQ(screen[1].substr(27, 8), "2OFrq   ");
  EXPECT_EQ(screen[3].substr(27, 8), "4Pan    ");
}

class NovationLogicTest : public testing::Test {
protected:
  NovationLogicTest() { rig.takeTexts(); }
  stk::NovationLogic& logic() { return *rig.logic; }
  SurfaceRig rig;
};

TEST_F(NovationLogicTest, EncoderStepsItsValueAndSetsTheParameter) {
  logic().assign(0, 2, 5);
  logic().controlVal[0] = 64;
  EXPECT_EQ(rig.cc(0, 65), "0 65\n");
  EXPECT_EQ(logic().controlVal[0], 65);
  EXPECT_EQ(rig.kit.getParam(2, 5), 0.5078125);
  EXPECT_TRUE(rig.takeTexts().empty()) << "a value turn writes nothing to the LCD";

  logic().controlVal[3] = 10;
  rig.cc(3, 0);
  EXPECT_EQ(logic().controlVal[3], 0);
  logic().controlVal[3] = 100;
  rig.cc(3, 127);
  EXPECT_EQ(logic().controlVal[3], 127);
  EXPECT_EQ(rig.kit.getParam(0, 0), 0.9921875) << "a slot never reaches 1.0";
}

TEST_F(NovationLogicTest, PotSetsItsValueAbsolutely) {
  logic().assign(9, 3, 7);
  rig.cc(9, 100);
  EXPECT_EQ(logic().controlVal[9], 100);
  EXPECT_EQ(rig.kit.getParam(3, 7), 0.78125);
  EXPECT_EQ(logic().potPosition[1], 0) << "positions follow the pot only while assigning";
  rig.cc(9, 0);
  EXPECT_EQ(rig.kit.getParam(3, 7), 0.0);
}

TEST_F(NovationLogicTest, EncoderWithAssignDownSelectsTheParameterAndSaves) {
  logic().assign(0, 0, 20);
  rig.cc(24, 1);
  rig.takeTexts();
  std::vector<double> before = rig.allParams();

  EXPECT_EQ(rig.cc(0, 66), "0 66\n");
  EXPECT_EQ(logic().controlAssignment[0].param, 0) << "from 20 a step of +2 wraps to 0";
  EXPECT_EQ(logic().controlVal[0], 2);
  EXPECT_EQ(rig.allParams(), before) << "selection sets no value";
  EXPECT_EQ(rig.takeTexts(), (std::vector<LcdText>{{1, 1, "B+-    "}, {1, 0, "0"}}));
  std::vector<unsigned char> saved = readBytes("soundset  1.dat");
  ASSERT_EQ(saved.size(), 968u);
  EXPECT_EQ(std::vector<unsigned char>(saved.begin(), saved.begin() + 8),
            (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0}));

  logic().assign(0, 1, 19);
  rig.cc(0, 67);
  EXPECT_EQ(logic().controlAssignment[0].param, 0) << "+3 from 19 lands on the first";
  logic().assign(0, 1, 1);
  rig.cc(0, 61);
  EXPECT_EQ(logic().controlAssignment[0].param, 20) << "-3 from 1 lands on the last";
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{1, 0, "1"}));
}

TEST_F(NovationLogicTest, PotWithAssignDownSelectsByPosition) {
  rig.cc(32, 1);
  const int positions[][2] = {{127, 20}, {0, 0}, {7, 1}, {6, 0}, {64, 10}, {70, 11}};
  for (const auto& p : positions) {
    rig.cc(8, p[0]);
    EXPECT_EQ(logic().controlAssignment[8].param, p[1]) << "position " << p[0];
    EXPECT_EQ(logic().potPosition[0], p[0]);
  }
  EXPECT_EQ(logic().controlVal[8], 70);
  EXPECT_EQ(rig.kit.getParam(0, 11), 0.5) << "the default stays: no value while assigning";
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{3, 0, "0"}));
}

TEST_F(NovationLogicTest, StepButtonsStepTheDrumOfHeldSlots) {
  rig.cc(24, 1);
  rig.cc(88, 1);
  EXPECT_EQ(logic().controlAssignment[0].drum, 1);
  EXPECT_EQ(logic().drumStep, 1);
  EXPECT_EQ(logic().selectStep, 0);
  rig.cc(88, 0);
  EXPECT_EQ(logic().drumStep, 0);
  rig.cc(50, 1);
  EXPECT_EQ(logic().controlAssignment[0].drum, 1) << "released: further events leave it";

  logic().assign(0, 4, 3);
  rig.cc(88, 1);
  EXPECT_EQ(logic().controlAssignment[0].drum, 0);
  EXPECT_EQ(logic().controlAssignment[0].param, 3);
  rig.cc(89, 1);
  EXPECT_EQ(logic().controlAssignment[0].drum, 4);
  EXPECT_EQ(logic().controlAssignment[1].drum, 0) << "slots whose button is up stay";
}

TEST_F(NovationLogicTest, LoadAndSaveActOnValueOneOnly) {
  std::vector<double> before = rig.allParams();
  writeBytes("soundset  1.dat", std::vector<unsigned char>(968, 0));
  rig.cc(75, 127);
  rig.cc(75, 0);
  EXPECT_EQ(rig.allParams(), before);
  std::remove("soundset  1.dat");
  rig.cc(76, 2);
  rig.cc(76, 127);
  EXPECT_TRUE(ScratchDirectory::entries().empty());

  rig.cc(76, 1);
  EXPECT_EQ(ScratchDirectory::entries(), std::vector<std::string>{"soundset  1.dat"});
  rig.kit.setParam(2, 2, 0.125);
  std::string printed = rig.cc(75, 1);
  EXPECT_EQ(rig.kit.getParam(2, 2), 0.3) << "the saved default is back";
  EXPECT_EQ(printed, "75 1\n" + refreshLines());
}

TEST_F(NovationLogicTest, CopyTakesTheLowestDrumButtonAndWinsOverPaste) {
  rig.kit.setParam(1, 0, 0.25);
  rig.kit.setParam(3, 0, 0.75);
  rig.cc(86, 1);
  rig.cc(43, 1);
  rig.cc(41, 1);
  rig.cc(50, 1); // any event repeats the copy
  std::vector<unsigned char> copied = readBytes("tempSound.dat");
  ASSERT_EQ(copied.size(), 168u);
  EXPECT_EQ(copied[7], 0x3F); // 0.25 is 3FD0000000000000
  EXPECT_EQ(copied[6], 0xD0);

  rig.cc(41, 0);
  rig.cc(43, 0);
  rig.kit.setParam(2, 0, 0.5);
  rig.kit.setParam(2, 1, 0.125);
  rig.cc(87, 1);
  std::string printed = rig.cc(42, 1);
  EXPECT_EQ(printed, "42 1\n") << "nothing is pasted";
  EXPECT_EQ(rig.kit.getParam(2, 0), 0.5);
  copied = readBytes("tempSound.dat");
  EXPECT_EQ(copied[6], 0xE0); // 0.5 is 3FE0000000000000: drum 2 was copied
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 0, "Copy "}));

  rig.cc(42, 0);
  rig.cc(86, 0);
  EXPECT_EQ(rig.cc(45, 1), "45 1\nload 5\n") << "Paste with a column beyond the kit";
  EXPECT_EQ(rig.cc(44, 1), "44 1\nload 4\n") << "column 4 is the lowest drum button down";
  EXPECT_EQ(rig.kit.getParam(4, 0), 0.5);
  EXPECT_EQ(rig.kit.getParam(4, 1), 0.125);
}

TEST_F(NovationLogicTest, RandGivesDrumsFreshValuesOnEveryEvent) {
  rig.cc(84, 1);
  std::vector<double> before = rig.allParams();
  rig.cc(46, 1);
  EXPECT_EQ(rig.allParams(), before) << "column 6 names no drum";
  rig.cc(46, 0);

  const unsigned seed = 4242;
  std::srand(seed);
  std::vector<double> expected;
  for (int i = 0; i < 42; ++i)
    expected.push_back(std::rand() / 2147483648.0);
  std::srand(seed);
  rig.cc(40, 1);
  rig.cc(40, 1); // a repeated event randomizes again
  for (int j = 0; j < 21; ++j)
    EXPECT_EQ(rig.kit.getParam(0, j), expected[21 + j]) << j;
  for (int drum = 1; drum < 5; ++drum)
    for (int j = 0; j < 21; ++j)
      EXPECT_EQ(rig.kit.getParam(drum, j), before[21 * drum + j]);
}

TEST_F(NovationLogicTest, RandGivesHeldSlotsAStepValue) {
  logic().assign(0, 3, 9);
  logic().assign(10, 1, 17);
  rig.cc(24, 1);
  rig.cc(34, 1);
  const unsigned seed = 99;
  std::srand(seed);
  int64_t first = std::rand(), second = std::rand();
  std::srand(seed);
  rig.cc(84, 1);
  // floor(r * 127 / 2^31): 0 .. 126
  int encoderValue = static_cast<int>(first * 127 >> 31);
  int potValue = static_cast<int>(second * 127 >> 31);
  EXPECT_EQ(logic().controlVal[0], encoderValue);
  EXPECT_EQ(logic().controlVal[10], potValue);
  EXPECT_EQ(rig.kit.getParam(3, 9), encoderValue / 128.0);
  EXPECT_EQ(rig.kit.getParam(1, 17), potValue / 128.0);
}

TEST_F(NovationLogicTest, ModeLabelFollowsThePrecedenceOfModes) {
  auto labels = [&] {
    std::vector<std::string> found;
    for (const LcdText& t : rig.takeTexts())
      if (t.row == 2 && t.column == 0) found.push_back(t.text);
    return found;
  };
  rig.cc(50, 1);
  EXPECT_TRUE(labels().empty()) << "a non-zero value with no mode leaves the label";
  rig.cc(50, 0);
  EXPECT_EQ(labels(), std::vector<std::string>{"     "});
  rig.cc(84, 1);
  EXPECT_EQ(labels(), std::vector<std::string>{"Rand "});
  rig.cc(86, 1);
  EXPECT_EQ(labels(), std::vector<std::string>{"Copy "});
  rig.cc(87, 1);
  rig.cc(86, 0);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Copy ", "Paste"}));
  rig.cc(85, 1);
  rig.cc(20, 0);
  EXPECT_EQ(labels(), (std::vector<std::string>{"Chanl", "Chanl"}));
}

TEST_F(NovationLogicTest, ChannelStepsWrapWhileChanlIsDown) {
  rig.cc(85, 1);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 5, "09"}));
  rig.channel = 15;
  rig.cc(90, 1);
  EXPECT_EQ(rig.channel, 0);
  rig.cc(90, 0);
  EXPECT_EQ(rig.channel, 0);
  rig.cc(91, 1);
  EXPECT_EQ(rig.channel, 15);
  rig.cc(20, 0); // Chanl still down: every event steps again
  EXPECT_EQ(rig.channel, 14);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 5, "14"}));
  EXPECT_EQ(logic().soundsetNumber, 1);
  rig.cc(91, 0);
  rig.cc(85, 0);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 5, "  "})) << "released: the field is blanked";
}

TEST_F(NovationLogicTest, SoundsetStepsClampWithoutChanl) {
  logic().soundsetNumber = 9;
  rig.cc(90, 1);
  EXPECT_EQ(logic().soundsetNumber, 9);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 37, "Soundset9"}));
  rig.cc(50, 1); // still held: a non-zero event steps again
  rig.cc(50, 0); // a zero event does not
  rig.cc(90, 0);
  logic().soundsetNumber = 1;
  rig.cc(91, 1);
  rig.cc(50, 1);
  EXPECT_EQ(logic().soundsetNumber, 0);
  rig.cc(91, 1);
  EXPECT_EQ(logic().soundsetNumber, 0);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 37, "Soundset0"}));
  rig.cc(88, 1); // a drum step press ends the select step
  rig.cc(50, 1);
  EXPECT_EQ(logic().selectStep, 0);
  EXPECT_EQ(rig.channel, 9);
}

TEST_F(NovationLogicTest, RefreshKeepsEverySoundsetNumber) {
  for (int number = 0; number <= 9; ++number) {
    logic().soundsetNumber = number;
    testing::internal::CaptureStdout();
    logic().refreshEntireDisplay();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), refreshLines());
    EXPECT_EQ(logic().soundsetNumber, number);
    std::string shown;
    for (const LcdText& t : rig.takeTexts())
      if (t.row == 2 && t.column == 37) shown = t.text;
    EXPECT_EQ(shown, "Soundset" + std::to_string(number));
  }
}

TEST_F(NovationLogicTest, SlidersAndUnnamedControllersChangeNoParameter) {
  for (int slot = 0; slot < 16; ++slot)
    logic().assign(slot, slot % 5, slot);
  std::vector<double> before = rig.allParams();
  for (int controller = 16; controller <= 23; ++controller)
    for (int value : {0, 1, 64, 127})
      rig.cc(controller, value);
  for (int controller : {56, 70, 77, 92, 127})
    rig.cc(controller, 0);
  EXPECT_EQ(rig.allParams(), before);
  EXPECT_EQ(rig.takeTexts().back(), (LcdText{2, 5, "  "}));
}

TEST_F(NovationLogicTest, EventsAboveSevenClearEncoderSteps) {
  logic().encoderDelta[2] = 5;
  logic().encoderDelta[7] = -3;
  rig.cc(5, 70);
  EXPECT_EQ(logic().encoderDelta[5], 6);
  EXPECT_EQ(logic().encoderDelta[2], 5);
  rig.cc(16, 9);
  for (int n = 0; n < 8; ++n)
    EXPECT_EQ(logic().encoderDelta[n], 0);
}

TEST_F(NovationLogicTest, AssignClampsIntoTheKit) {
  logic().assign(-4, 9, 40);
  EXPECT_EQ(logic().controlAssignment[0].drum, 4);
  EXPECT_EQ(logic().controlAssignment[0].param, 20);
  logic().assign(99, -1, -1);
  EXPECT_EQ(logic().controlAssignment[15].drum, 0);
  EXPECT_EQ(logic().controlAssignment[15].param, 0);
  EXPECT_TRUE(ScratchDirectory::entries().empty()) << "assign saves nothing";
}

} // namespace
