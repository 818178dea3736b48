// Choosing ports by selector from port lists as the ALSA and JACK back ends print them.
#include "PortSelector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Indices = std::vector<size_t>;

Indices select(const std::string& selector, const std::vector<std::string>& listed) {
  return PortSelector(selector).matches(listed);
}

// The controller under ALSA, as client 20 after one boot and client 24 after another.
const std::vector<std::string> kAlsa20 = {
    "Midi Through:Midi Through Port-0 14:0", "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:0",
    "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 2 20:1", "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 3 20:2"};
const std::vector<std::string> kAlsa24 = {
    "Midi Through:Midi Through Port-0 14:0", "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 24:0",
    "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 2 24:1", "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 3 24:2"};

TEST(PortSelector, TheFullNameOrTheFixedFormOfItChoosesThatPort) {
  EXPECT_EQ(select("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 2 20:1", kAlsa20), Indices{2});
  EXPECT_EQ(select("ReMOTE ZeRO SL 20:1", kAlsa20), Indices{2});
  // The fixed form carries the client number: after renumbering it names nothing.
  EXPECT_EQ(select("ReMOTE ZeRO SL 20:1", kAlsa24), Indices{});
}

TEST(PortSelector, ClientAndPortNumberFindARenumberedClient) {
  EXPECT_EQ(select("ReMOTE ZeRO SL:1", kAlsa20), Indices{2});
  EXPECT_EQ(select("ReMOTE ZeRO SL:1", kAlsa24), Indices{2});
  EXPECT_EQ(select("ReMOTE ZeRO SL:0", kAlsa24), Indices{1});
  // The client name is exact: no case folding, no part of it.
  EXPECT_EQ(select("remote zero sl:1", kAlsa24), Indices{});
  EXPECT_EQ(select("ReMOTE ZeRO:1", kAlsa24), Indices{});
  EXPECT_EQ(select("ReMOTE ZeRO SL:7", kAlsa24), Indices{});
}

TEST(PortSelector, TwoClientsOfTheSameNameAreAmbiguous) {
  const std::vector<std::string> two = {"ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:0",
                                        "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 24:0"};
  EXPECT_EQ(select("ReMOTE ZeRO SL:0", two), (Indices{0, 1}));
  EXPECT_EQ(select("zero sl midi 1", two), (Indices{0, 1}));
  // The full name still tells them apart.
  EXPECT_EQ(select("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 24:0", two), Indices{1});
}

TEST(PortSelector, PartsOfNamesMatchInAnyCaseWithoutTheAddress) {
  EXPECT_EQ(select("midi 2", kAlsa24), Indices{2});
  EXPECT_EQ(select("THROUGH", kAlsa24), Indices{0});
  EXPECT_EQ(select("zero sl", kAlsa24), (Indices{1, 2, 3}));
  // Numbers of the address are not part of the name: "24" and "4:1" name nothing.
  EXPECT_EQ(select("24", kAlsa24), Indices{});
  EXPECT_EQ(select("4:1", kAlsa24), Indices{});
  EXPECT_EQ(select("", kAlsa24), Indices{});
  EXPECT_EQ(select("anything", {}), Indices{});
}

TEST(PortSelector, ABridgesBracketedClientNumberIsLeftOut) {
  const std::vector<std::string> bridged = {"a2j:Midi Through [14] (capture): Port-0",
                                            "a2j:ReMOTE ZeRO SL [20] (capture): MIDI 2",
                                            "Keystation:Keystation MIDI 1 [20]"};
  EXPECT_EQ(PortSelector::withoutAddress("Keystation:Keystation MIDI 1 [20]"),
            "Keystation:Keystation MIDI 1");
  EXPECT_EQ(PortSelector::withoutAddress("ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1 20:0"),
            "ReMOTE ZeRO SL:ReMOTE ZeRO SL MIDI 1");
  EXPECT_EQ(select("keystation midi 1", bridged), Indices{2});
  EXPECT_EQ(select("20", bridged), Indices{1}); // inside the name, the number is text
  EXPECT_EQ(select("remote zero sl", bridged), Indices{1});
}

TEST(PortSelector, JackPortsHaveNumbersByNameOrByPlaceInTheirClient) {
  // A client named like an ALSA address, with ports "0" and "1", and a native JACK synth.
  const std::vector<std::string> jack = {"ReMOTE ZeRO SL 24:0", "ReMOTE ZeRO SL 24:1",
                                         "Synth:midi_out", "Synth:midi_out 2"};
  EXPECT_EQ(select("ReMOTE ZeRO SL:1", jack), Indices{1});
  EXPECT_EQ(select("ReMOTE ZeRO SL 24:1", jack), Indices{1});
  EXPECT_EQ(select("Synth:1", jack), Indices{3});
  EXPECT_EQ(select("Synth:0", jack), Indices{2});
  EXPECT_EQ(select("synth:midi_out 2", jack), Indices{3});
  // A display input beside the note ports is the controller's port 0 among its inputs.
  const std::vector<std::string> inputs = {"system:playback_midi", "ReMOTE ZeRO SL 24:display"};
  EXPECT_EQ(select("ReMOTE ZeRO SL:0", inputs), Indices{1});
}

} // namespace
