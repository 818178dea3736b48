// The rule by which a listed MIDI port name stands for a requested one.
#include "utilities.h"

#include <gtest/gtest.h>

namespace {

using stk::midiPortNameMatches;

const std::string kNotePort = "ReMOTE ZeRO SL 20:0";

TEST(PortNameMatch, ExactNamesMatchCaseSensitively) {
  EXPECT_TRUE(midiPortNameMatches("ReMOTE ZeRO SL 20:0", kNotePort));
  EXPECT_TRUE(midiPortNameMatches("anything at all", "anything at all"));
  EXPECT_FALSE(midiPortNameMatches("remote zero sl 20:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 20:0 ", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("", kNotePort));
}

TEST(PortNameMatch, ClientAndPortNamesJoinedByAColonMatchOnSameNumbers) {
  EXPECT_TRUE(midiPortNameMatches("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:0", kNotePort));
  EXPECT_TRUE(midiPortNameMatches("ReMOTE ZeRO SL:Port 2 20:1", "ReMOTE ZeRO SL 20:1"));
  EXPECT_TRUE(midiPortNameMatches("ReMOTE ZeRO SL: 20:0", kNotePort)); // empty port name

  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 24:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:1", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 120:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:10", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("remote zero sl:ReMOTE ZeRO SL MIDI 1 20:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("Other:ReMOTE ZeRO SL MIDI 1 20:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("X ReMOTE ZeRO SL:MIDI 1 20:0", kNotePort));
  // The client name and the numbers may not share characters.
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL:20:0", kNotePort));
}

TEST(PortNameMatch, PrefixesAndOtherClientNumbersDoNotMatch) {
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 20:0", "ReMOTE ZeRO SL"));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 20:0", "ReMOTE ZeRO SL 20"));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 20:0", "ReMOTE ZeRO SL 20:"));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 24:0", kNotePort));
  EXPECT_FALSE(midiPortNameMatches("ReMOTE ZeRO SL 20:0", "ReMOTE ZeRO"));
}

TEST(PortNameMatch, OnlyRequestsEndingInClientAndPortNumbersUseTheJoinedForm) {
  EXPECT_FALSE(midiPortNameMatches("Synth:Out 20:x", "Synth 20:x"));
  EXPECT_FALSE(midiPortNameMatches("Synth:Out :0", "Synth :0"));
  EXPECT_FALSE(midiPortNameMatches("Synth:Out 20:", "Synth 20:"));
  EXPECT_FALSE(midiPortNameMatches(":Out 20:0", " 20:0"));
  EXPECT_TRUE(midiPortNameMatches("Synth:Out 20:0", "Synth 20:0"));
}

} // namespace
