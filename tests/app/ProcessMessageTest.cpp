// Applying queued messages: notes on the note channel play the kit and mark the LCD, control
// changes of the control port reach the logic, everything else does nothing.
#include "AppRig.h"

#include <gtest/gtest.h>

namespace {

constexpr int kSamples = 3000;

using Strings = std::vector<std::string>;

class ProcessMessage : public ::testing::Test {
protected:
  // The rig's kit sounds exactly as the reference kit after the same calls.
  void expectSameSound() {
    EXPECT_EQ(AppRig::render(*rig.kit, kSamples), AppRig::render(*rig.reference, kSamples));
  }
  void expectSilence() {
    EXPECT_EQ(AppRig::render(*rig.kit, kSamples), std::vector<double>(kSamples, 0.0));
  }
  AppRig rig;
};

TEST_F(ProcessMessage, NoteOnOnTheNoteChannelPlaysTheDrumAndMarksItsColumn) {
  rig.apply(Port::Note, {0x99, 0x24, 0x64});
  rig.reference->noteOn(36, 0.78125);
  EXPECT_EQ(rig.texts(), Strings{"4,0:*"});
  expectSameSound();

  rig.apply(Port::Note, {0x99, 0x2E, 0x7F}); // drum 4, amplitude 127/128
  rig.reference->noteOn(46, 0.9921875);
  EXPECT_EQ(rig.texts(), Strings{"4,4:*"});
  expectSameSound();
}

TEST_F(ProcessMessage, VelocityOneGivesTheSmallestAmplitude) {
  rig.apply(Port::Note, {0x99, 0x26, 0x01});
  rig.reference->noteOn(38, 0.0078125);
  EXPECT_EQ(rig.texts(), Strings{"4,1:*"});
  expectSameSound();
}

TEST_F(ProcessMessage, NoteOffAndNoteOnWithVelocityZeroReleaseTheDrum) {
  rig.apply(Port::Note, {0x99, 0x24, 0x64});
  rig.apply(Port::Note, {0x99, 0x2A, 0x64});
  rig.reference->noteOn(36, 0.78125);
  rig.reference->noteOn(42, 0.78125);
  expectSameSound();

  rig.apply(Port::Note, {0x99, 0x24, 0x00});
  rig.apply(Port::Note, {0x89, 0x2A, 0x33}); // the release velocity is not used
  rig.reference->noteOff(36);
  rig.reference->noteOff(42);
  EXPECT_EQ(rig.texts(), (Strings{"4,0:*", "4,3:*", "4,0: ", "4,3: "}));
  expectSameSound();
}

TEST_F(ProcessMessage, NotesOnOtherChannelsOrFromTheControlPortDoNothing) {
  rig.apply(Port::Note, {0x98, 0x24, 0x64});
  rig.apply(Port::Note, {0x90, 0x24, 0x64});
  rig.apply(Port::Control, {0x99, 0x24, 0x64}); // channel 25
  rig.apply(Port::Control, {0x89, 0x24, 0x64});
  EXPECT_TRUE(rig.sent().empty());
  expectSilence();

  // A note-off on another channel leaves a sounding drum alone.
  rig.apply(Port::Note, {0x99, 0x24, 0x64});
  rig.reference->noteOn(36, 0.78125);
  rig.texts();
  rig.apply(Port::Note, {0x88, 0x24, 0x00});
  rig.apply(Port::Note, {0x98, 0x24, 0x00});
  rig.apply(Port::Control, {0x89, 0x24, 0x00});
  EXPECT_TRUE(rig.sent().empty());
  expectSameSound();
}

TEST_F(ProcessMessage, OnlyTheCurrentNoteChannelPlays) {
  rig.data.midiChannel = 3; // as the logic's channel step leaves it
  rig.apply(Port::Note, {0x99, 0x24, 0x64});
  expectSilence();
  rig.apply(Port::Note, {0x93, 0x27, 0x50});
  rig.reference->noteOn(39, 0.625);
  EXPECT_EQ(rig.texts(), Strings{"4,2:*"});
  expectSameSound();
}

TEST_F(ProcessMessage, NoteOfNoDrumMarksNothing) {
  rig.apply(Port::Note, {0x99, 0x25, 0x64});
  rig.apply(Port::Note, {0x89, 0x25, 0x64});
  rig.apply(Port::Note, {0x99, 0x00, 0x7F});
  EXPECT_TRUE(rig.sent().empty());
  expectSilence();
}

TEST_F(ProcessMessage, ControlChangesOfTheControlPortReachTheLogicOnAnyChannel) {
  // Pot 1 (slot 9) with its assign button up: its value becomes the controller's value.
  rig.apply(Port::Control, {0xB0, 0x09, 0x64});
  EXPECT_EQ(rig.logic->controlVal[9], 100);
  rig.apply(Port::Control, {0xBF, 0x09, 0x21});
  EXPECT_EQ(rig.logic->controlVal[9], 33);
  // The assign button of encoder slot 0 goes down and up, from channel 5.
  rig.apply(Port::Control, {0xB5, 0x18, 0x01});
  EXPECT_TRUE(rig.logic->buttonState[24]);
  rig.apply(Port::Control, {0xB5, 0x18, 0x00});
  EXPECT_FALSE(rig.logic->buttonState[24]);
}

TEST_F(ProcessMessage, ControlChangesOfTheNotePortAndOtherMessagesDoNothing) {
  const int before = rig.logic->controlVal[9];
  rig.apply(Port::Note, {0xB9, 0x09, 0x64});
  rig.apply(Port::Note, {0xB0, 0x18, 0x01});
  for (Port port : {Port::Note, Port::Control}) {
    rig.apply(port, {0xA9, 0x24, 0x40}); // key pressure
    rig.apply(port, {0xC9, 0x24});       // program change
    rig.apply(port, {0xD9, 0x24});       // channel pressure
    rig.apply(port, {0xE9, 0x00, 0x40}); // pitch bend
    rig.apply(port, {0xF2, 0x10, 0x20}); // song position: type 0
  }
  EXPECT_EQ(rig.logic->controlVal[9], before);
  EXPECT_FALSE(rig.logic->buttonState[24]);
  EXPECT_TRUE(rig.sent().empty());
  expectSilence();
}

} // namespace
