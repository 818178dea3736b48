// The event pass driven as a player drives it: values, selection, modes, labels, refresh.
#include "SurfaceRig.h"

#include <cstdlib>

namespace {

using Texts = std::vector<std::string>;

std::string refreshLines() {
  std::string lines;
  for (int c : {24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 90, 91, 85})
    lines += std::to_string(c) + " 1\n" + std::to_string(c) + " 0\n";
  return lines;
}

TEST(NovationLogicStart, PrintsItsLinesDrawsTheLayoutAndSavesNothing) {
  SurfaceRig rig;
  EXPECT_EQ(rig.printed,
            "initControlStates OK\ninitControlAssignmentsAndVals OK\n" + refreshLines());
  Texts texts = rig.texts(); // each press shows a cell, each release the label and channel
  ASSERT_EQ(texts.size(), 74u);
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + 4),
            (Texts{"1,1:B+-    ", "1,0:0", "2,0:     ", "2,5:  "}));
  EXPECT_EQ(texts[60], "3,64:B+-    ");
  EXPECT_EQ(texts[64], "2,37:Soundset1") << "the number as it is: a refresh steps nothing";
  EXPECT_EQ(texts[67], "2,37:Soundset1");
  EXPECT_EQ(Texts(texts.end() - 4, texts.end()),
            (Texts{"2,0:Chanl", "2,5:09", "2,0:     ", "2,5:  "}));
  EXPECT_TRUE(std::filesystem::is_empty("."));
  EXPECT_EQ(rig.kit.getParam(3, 4), 0.2) << "no soundset file: the voices keep their defaults";
}

struct NovationLogicTest : testing::Test {
  NovationLogicTest() { rig.texts(); }
  SurfaceRig rig;
  stk::NovationLogic& logic = *rig.logic;
};

TEST_F(NovationLogicTest, ValueControlsSetTheirParameterInStepsOf128th) {
  logic.assign(0, 2, 5);
  logic.controlVal[0] = 64;
  EXPECT_EQ(rig.cc(0, 65), "0 65\n");
  EXPECT_EQ(rig.kit.getParam(2, 5), 0.5078125);
  rig.cc(0, 0), rig.cc(0, 0);
  EXPECT_EQ(logic.controlVal[0], 0) << "clamped at 0";
  logic.assign(9, 3, 7);
  rig.cc(9, 100);
  EXPECT_EQ(rig.kit.getParam(3, 7), 0.78125);
  rig.cc(9, 127);
  EXPECT_EQ(rig.kit.getParam(3, 7), 0.9921875) << "a slot never reaches 1.0";
  std::vector<double> before = rig.params();
  for (int slider = 16; slider <= 23; ++slider)
    rig.cc(slider, 90);
  EXPECT_EQ(rig.params(), before);
}

TEST_F(NovationLogicTest, EncoderWithAssignHeldSelectsParametersAndSavesEachChange) {
  logic.assign(2, 3, 18);
  std::vector<double> before = rig.params();
  rig.cc(26, 127);
  rig.texts();
  for (const char* name : {"Vol    ", "Pan    ", "B+-    "}) {
    std::remove("soundset  1.dat");
    rig.cc(2, 65);
    EXPECT_EQ(rig.texts(), (Texts{std::string("1,19:") + name, "1,18:3"}));
    EXPECT_EQ(readBytes("soundset  1.dat").at(2 * 8 + 4), logic.controlAssignment[2].param);
  }
  rig.cc(2, 61);
  EXPECT_EQ(logic.controlAssignment[2].param, 20) << "-3 from 0 wraps to the last";
  rig.cc(2, 67);
  EXPECT_EQ(logic.controlAssignment[2].param, 0) << "+3 from 20 wraps to the first";
  std::remove("soundset  1.dat");
  rig.cc(2, 64);
  EXPECT_TRUE(readBytes("soundset  1.dat").empty()) << "an unchanged slot saves nothing";
  EXPECT_EQ(rig.params(), before);
  EXPECT_EQ(logic.controlVal[2], 3) << "the value still counts the steps";
}

TEST_F(NovationLogicTest, PotSweepWithAssignHeldSelectsEveryParameterInOrder) {
  rig.cc(36, 1);
  std::vector<int> firstPositions{0}, expected; // where each parameter is first selected
  for (int position = 0; position <= 127; ++position) {
    rig.cc(12, position);
    if (logic.controlAssignment[12].param == static_cast<int>(firstPositions.size()))
      firstPositions.push_back(position);
  }
  for (int param = 0; param <= 20; ++param)
    expected.push_back((127 * param + 19) / 20); // ceil(127 p / 20): equal shares of the travel
  EXPECT_EQ(firstPositions, expected);
  EXPECT_EQ(logic.controlAssignment[12].param, 20);
  rig.cc(36, 0);
  logic.assign(12, 1, 3);
  rig.cc(36, 1); // the kept position still differs from the one before: it selects again
  EXPECT_EQ(logic.controlAssignment[12].param, 20);
}

TEST_F(NovationLogicTest, HeldDrumStepStepsHeldSlotsOnEveryEvent) {
  rig.cc(24, 1), rig.cc(88, 1), rig.cc(20, 1);
  EXPECT_EQ(logic.controlAssignment[0].drum, 2);
  rig.cc(20, 1), rig.cc(20, 1), rig.cc(20, 1);
  EXPECT_EQ(logic.controlAssignment[0].drum, 0) << "wraps from 4 to 0";
  rig.cc(89, 1);
  EXPECT_EQ(logic.controlAssignment[0].drum, 4);
  rig.cc(89, 0), rig.cc(20, 1);
  EXPECT_EQ(logic.controlAssignment[0].drum, 4);
  EXPECT_EQ(logic.controlAssignment[1].drum, 0);
  EXPECT_EQ(readBytes("soundset  1.dat").at(0), 4);
}

TEST_F(NovationLogicTest, CopyWinsOverPasteAndTheLowestDrumButtonActs) {
  rig.kit.setParam(1, 0, 0.25);
  rig.kit.setParam(2, 0, 0.75);
  rig.cc(86, 1), rig.cc(43, 1), rig.cc(41, 1), rig.cc(87, 1);
  EXPECT_EQ(rig.cc(42, 1), "42 1\n") << "Copy down: nothing is pasted";
  EXPECT_EQ(readBytes("tempSound.dat").at(6), 0xD0) << "drum 1 (0.25) was copied";
  EXPECT_EQ(rig.texts().back(), "2,0:Copy ");
  rig.cc(41, 0);
  EXPECT_EQ(readBytes("tempSound.dat").at(6), 0xE8) << "now drum 2 (0.75) is the lowest";
  rig.cc(43, 0), rig.cc(42, 0);
  EXPECT_EQ(rig.cc(86, 0), "86 0\n");
  EXPECT_EQ(rig.cc(46, 1), "46 1\nload 6\n") << "a column beyond the kit only prints";
  EXPECT_EQ(rig.cc(44, 1), "44 1\nload 4\n");
  EXPECT_EQ(rig.kit.getParam(4, 0), 0.75);
  EXPECT_EQ(rig.texts().back(), "2,0:Paste");
}

TEST_F(NovationLogicTest, RandDrawsFromTheLogicsOwnSourceForHeldDrumsAndSlots) {
  std::vector<double> before = rig.params();
  rig.cc(84, 1), rig.cc(46, 1);
  EXPECT_EQ(rig.params(), before) << "column 6 names no drum";
  logic.assign(10, 1, 17);
  stk::RandomSource source(4242);
  std::vector<int64_t> r(43);
  for (int64_t& value : r)
    value = source.next();
  logic.random.reseed(4242);
  rig.cc(40, 1); // drum 0: 21 values
  rig.cc(34, 1); // slot 10, then drum 0 again
  for (int j = 0; j < 21; ++j)
    EXPECT_EQ(rig.kit.getParam(0, j), r[22 + j] / 2147483648.0);
  EXPECT_EQ(logic.controlVal[10], r[21] * 127 >> 31) << "floor(r * 127 / 2^31)";
  EXPECT_EQ(rig.kit.getParam(1, 17), logic.controlVal[10] / 128.0);
  EXPECT_EQ(rig.kit.getParam(2, 0), before[42]);
}

TEST_F(NovationLogicTest, RowTwoShowsModeChannelAndSoundset) {
  rig.cc(50, 1);
  EXPECT_EQ(rig.texts(), Texts{}) << "a non-zero value with no mode writes nothing";
  rig.cc(50, 0);
  EXPECT_EQ(rig.texts(), (Texts{"2,0:     ", "2,5:  "}));
  rig.cc(84, 1), rig.cc(86, 1), rig.cc(85, 1);
  EXPECT_EQ(rig.texts(), (Texts{"2,0:Rand ", "2,0:Copy ", "2,0:Chanl", "2,5:09"}));
  rig.channel = 15;
  rig.cc(90, 1), rig.cc(20, 0); // every event steps while the step button is held
  EXPECT_EQ(rig.channel, 1);
  rig.cc(91, 1), rig.cc(91, 1);
  EXPECT_EQ(rig.channel, 15) << "wraps below 0";
  EXPECT_EQ(rig.texts().back(), "2,5:15");
  rig.cc(85, 0), rig.cc(84, 0), rig.cc(86, 0), rig.cc(91, 0);
  rig.texts();
  EXPECT_EQ(logic.soundsetNumber, 1);
  logic.soundsetNumber = 8;
  rig.cc(90, 1), rig.cc(90, 1), rig.cc(20, 0);
  EXPECT_EQ(logic.soundsetNumber, 9) << "clamped; value 0 does not step";
  EXPECT_EQ(rig.texts(), (Texts{"2,37:Soundset9", "2,37:Soundset9", "2,0:     ", "2,5:  "}));
  rig.cc(88, 1);
  logic.soundsetNumber = 5;
  rig.cc(20, 1);
  EXPECT_EQ(logic.soundsetNumber, 5) << "a drum step ends the select step";
}

TEST_F(NovationLogicTest, LoadRefreshKeepsTheSoundsetNumberSoSavesGoWhereTheyShould) {
  rig.cc(76, 2), rig.cc(75, 127);
  EXPECT_TRUE(std::filesystem::is_empty(".")) << "load and save act on value 1 only";
  rig.cc(76, 1);
  rig.kit.setParam(2, 2, 0.125);
  for (int number = 0; number <= 9; ++number) {
    logic.soundsetNumber = number;
    EXPECT_EQ(rig.cc(75, 1), "75 1\n" + refreshLines());
    EXPECT_EQ(logic.soundsetNumber, number);
    std::string shown;
    for (const std::string& text : rig.texts())
      shown = text.compare(0, 5, "2,37:") == 0 ? text : shown;
    EXPECT_EQ(shown, "2,37:Soundset" + std::to_string(number));
  }
  EXPECT_EQ(rig.kit.getParam(2, 2), 0.3) << "soundset 1 brought the default back";
  std::remove("soundset  1.dat");
  rig.cc(24, 1), rig.cc(0, 65);
  EXPECT_TRUE(std::filesystem::exists("soundset  9.dat"));
  EXPECT_FALSE(std::filesystem::exists("soundset  8.dat"));
}

TEST_F(NovationLogicTest, ALoadKeepsWhatItLoadedWhateverControlsAreHeldOrWereMoved) {
  rig.cc(32, 1), rig.cc(8, 100), rig.cc(32, 0); // pot 1 moved with its assign button held
  rig.cc(84, 1);                                // Rand held
  rig.cc(88, 1);                                // drum step held
  rig.cc(40, 1);                                // drum button held (with Rand: all of drum 0)

  // Then a soundset whose pot slot 1 (slot 8) is drum 1, parameter 3 is loaded.
  stk::Soundset soundset;
  for (int slot = 0; slot < 16; ++slot)
    soundset.slots[slot] = stk::ControlAssignment{(slot + 1) % 5, (slot * 3) % 21};
  for (int i = 0; i < 105; ++i)
    soundset.drums[i / 21].params[i % 21] = (i % 97) / 128.0;
  std::vector<unsigned char> file(stk::SoundsetFormat::kSoundsetBytes);
  stk::SoundsetFormat::encode(soundset, file.data());
  writeBytes("soundset  1.dat", file);
  rig.cc(75, 1);

  for (int slot = 0; slot < 16; ++slot)
    EXPECT_EQ(
        std::make_pair(logic.controlAssignment[slot].drum, logic.controlAssignment[slot].param),
        std::make_pair(soundset.slots[slot].drum, soundset.slots[slot].param))
        << "slot " << slot;
  for (int i = 0; i < 105; ++i)
    EXPECT_EQ(rig.kit.getParam(i / 21, i % 21), soundset.drums[i / 21].params[i % 21]) << i;
  EXPECT_EQ(readBytes("soundset  1.dat"), file) << "the refresh wrote nothing";
  EXPECT_TRUE(logic.buttonState[84] && logic.buttonState[40]) << "held controls stay held";
  EXPECT_EQ(*logic.channel, 9);
}

} // namespace
