// Controller maps on a private JACK server: a generic controller (knobs as CCs on channel 1, pads
// as notes, all on one port) with a shipped map edits, saves and loads as the ReMOTE does.
#include "MapRunFixture.h"

namespace {

const std::string kProgram = TAMBREL_PROGRAM;

TEST_F(ControllerMapJack, AGenericControllerWithAShippedMapEditsSavesAndLoadsAsTheReMote) {
  // The ReMOTE: assign pot 1 held while pot 1 picks a parameter, pot 1 sets its value, Save,
  // up to soundset 2, another value, Save, down to 1, a new value, Load.
  session = std::make_unique<TambrelSession>(20);
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--controller", "ReMOTE ZeRO SL"}));
  const MapRunResult remote = play(
      {cc(32, 1), cc(8, 100), cc(32, 0), cc(8, 77), cc(76, 1), cc(76, 0), cc(90, 1), cc(90, 0),
       cc(8, 30), cc(76, 1), cc(76, 0), cc(91, 1), cc(91, 0), cc(8, 10), cc(75, 1), cc(75, 0)});

  // The LPD8's map: knob 1 is CC 1, pad 1 (note 36) assign pot 1, pads 5-8 (notes 40-43)
  // down, up, Load, Save. Controls and notes come from the same port.
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  const std::string port = std::string(kDesk) + ":1";
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--controller-map", "akai-lpd8",
                                     "--control-in", port, "--notes-in", port, "--lcd-out",
                                     std::string(kDesk) + ":display"}));
  const MapRunResult desk =
      play({pad(36, true), cc(1, 100), pad(36, false), cc(1, 77), pad(43, true), pad(43, false),
            pad(41, true), pad(41, false), cc(1, 30), pad(43, true), pad(43, false), pad(40, true),
            pad(40, false), cc(1, 10), pad(42, true), pad(42, false), cc(9, 5)});

  ASSERT_EQ(remote.soundset1.size(), 968u);
  ASSERT_EQ(remote.soundset2.size(), 968u);
  EXPECT_NE(remote.soundset1, remote.soundset2); // the value changed between the two saves
  EXPECT_EQ(desk.soundset1, remote.soundset1);
  EXPECT_EQ(desk.soundset2, remote.soundset2);
  EXPECT_EQ(desk.lcd, remote.lcd);
  EXPECT_EQ(desk.notesMarked, 0) << "the map's pads played drums";
  // Independently: pot slot 1 shows drum 0 with the parameter that position 100 picks (15 of
  // 0 .. 20), and soundset 1 is the one loaded.
  EXPECT_EQ(remote.lcd[2].substr(0, 1), "0");
  EXPECT_NE(remote.lcd[1].find("Soundset1"), std::string::npos) << remote.lcd[1];
}

} // namespace
