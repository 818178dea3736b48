// The program played from the virtual controller as a musician would: start-up greeting,
// notes and their marks, an encoder that silences a drum, the note channel step, save and load.
#include "E2EFixture.h"

#include <algorithm>

namespace {
using Bytes = std::vector<unsigned char>;

// Slot 0 and slot 1 edit the noise and tone levels of drum 0; pot slot 8 shows drum 3's tone
// level; drum 1 is made silent, so that its note proves the file's parameters were loaded.
SoundsetImage playerSoundset() {
  SoundsetImage image = SoundsetImage::defaults();
  image.drum[0] = 0, image.param[0] = 10;
  image.drum[1] = 0, image.param[1] = 18;
  image.drum[8] = 3, image.param[8] = 18;
  image.value[1][10] = 0.0;
  image.value[1][18] = 0.0;
  return image;
}

bool hasLine(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos;
}
} // namespace

class PlayerSession : public E2EFixture {
protected:
  void SetUp() override {
    soundset = playerSoundset();
    startAll(256, &soundset);
  }

  // Sends a message on the note port and listens for `seconds`: the first sounding frame
  // from the moment of sending on, or -1.
  long long strike(const Bytes& bytes, double seconds = 0.3) {
    const std::uint64_t from = session->now();
    session->note(bytes);
    session->waitUntilFrame(from + session->secondsToFrames(seconds));
    return session->firstSound(from, session->now());
  }
  // Releases drum 0 and waits until the kit is quiet again.
  void releaseDrum0() {
    session->note({0x89, 0x24, 0x00});
    ASSERT_TRUE(session->waitForSilence(session->secondsToFrames(0.1), 10))
        << "drum 0 still sounds 10 s after its note-off";
  }
  void turn(int controller, int value) {
    session->control(controller, value);
    ASSERT_TRUE(session->waitForSent());
  }

  SoundsetImage soundset;
};

TEST_F(PlayerSession, StartUpGreetsTheControllerAndLoadsSoundset1) {
  std::vector<VirtualController::Event> messages;
  for (const auto& event : session->controller().displayMessages())
    if (event.frame >= session->startFrame()) messages.push_back(event);
  ASSERT_GE(messages.size(), 5u);
  const Bytes greeting[5] = {
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x01, 0x01, 0xF7},
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x02, 0x02, 0x04, 0xF7},
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x02, 0x02, 0x05, 0xF7},
      {0xB0, 0x60, 0x1F},
      {0xB0, 0x61, 0x07}};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(messages[i].bytes, greeting[i]) << "message " << i;
  EXPECT_TRUE(session->unknownDisplayMessages().empty());

  // The refresh shows the slots of the loaded file, the soundset number and the channel.
  auto shown = [&](int row, int column, const std::string& text) {
    return session->waitForLcd(row, column, text, session->startFrame(), 0);
  };
  EXPECT_TRUE(shown(1, 0, "0"));
  EXPECT_TRUE(shown(1, 1, "NLvl   "));
  EXPECT_TRUE(shown(1, 10, "OLvl   "));
  EXPECT_TRUE(shown(1, 19, "B+-    "));
  EXPECT_TRUE(shown(3, 0, "3"));
  EXPECT_TRUE(shown(3, 1, "OLvl   "));
  EXPECT_TRUE(shown(2, 37, "Soundset1"));
  EXPECT_TRUE(shown(2, 0, "Chanl"));
  EXPECT_TRUE(shown(2, 5, "09"));

  // Nothing sounds before a note is played.
  EXPECT_EQ(session->firstSound(session->startFrame(), session->now()), -1);

  interruptAndCheckFarewell();
  const std::string out = session->program().standardOutput();
  EXPECT_TRUE(hasLine(out, "initControlStates OK"));
  EXPECT_TRUE(hasLine(out, "initControlAssignmentsAndVals OK"));
  // The refresh's 38 replayed events, the last one the release of Chanl.
  EXPECT_TRUE(hasLine(out, "24 1"));
  EXPECT_TRUE(hasLine(out, "85 0"));
  // Start-up on a loaded soundset saves nothing: the file is as it was written.
  EXPECT_EQ(session->readWorkFile(SoundsetImage::fileName(1)), soundset.bytes());
}

TEST_F(PlayerSession, NotesSoundOnTheirChannelAndMarkRow4) {
  const std::uint64_t start = session->now();
  ASSERT_GE(strike({0x99, 0x24, 0x64}), 0) << "note 36 on channel 9 made no sound";
  EXPECT_TRUE(session->waitForLcd(4, 0, "*", start, 2));
  const std::uint64_t released = session->now();
  releaseDrum0();
  EXPECT_TRUE(session->waitForLcd(4, 0, " ", released, 2));

  // Another channel: no sound, no mark.
  const std::uint64_t offChannel = session->now();
  EXPECT_EQ(strike({0x98, 0x24, 0x64}, 0.5), -1);
  EXPECT_TRUE(session->lcdTextsSince(offChannel).empty());

  // Drum 1 was silenced by the soundset file: its mark appears, its sound does not.
  const std::uint64_t silentDrum = session->now();
  EXPECT_EQ(strike({0x99, 0x26, 0x64}, 0.5), -1);
  EXPECT_TRUE(session->waitForLcd(4, 1, "*", silentDrum, 2));

  // A note-on of velocity 0 releases like a note-off.
  ASSERT_GE(strike({0x99, 0x24, 0x7F}), 0);
  const std::uint64_t zeroVelocity = session->now();
  session->note({0x99, 0x24, 0x00});
  EXPECT_TRUE(session->waitForLcd(4, 0, " ", zeroVelocity, 2));
  EXPECT_TRUE(session->waitForSilence(session->secondsToFrames(0.1), 10));

  EXPECT_EQ(session->controller().channelMismatches(), 0u) << "left and right differ";
  EXPECT_TRUE(session->unknownDisplayMessages().empty());
  interruptAndCheckFarewell();
}

TEST_F(PlayerSession, EncodersTurnDrum0DownToSilenceAndBackUp) {
  ASSERT_GE(strike({0x99, 0x24, 0x64}), 0);
  releaseDrum0();

  turn(0, 0); // slot 0, "NLvl" of drum 0: one step of -64 from 0 stays at 0
  turn(1, 0); // slot 1, "OLvl" of drum 0
  EXPECT_EQ(strike({0x99, 0x24, 0x64}, 0.5), -1) << "drum 0 sounds with both levels at 0";
  releaseDrum0();

  turn(1, 127); // +63: "OLvl" 63/128
  EXPECT_GE(strike({0x99, 0x24, 0x64}), 0) << "drum 0 stays silent with its tone turned up";
  releaseDrum0();

  interruptAndCheckFarewell();
  const std::string out = session->program().standardOutput();
  EXPECT_TRUE(hasLine(out, "0 0"));
  EXPECT_TRUE(hasLine(out, "1 0"));
  EXPECT_TRUE(hasLine(out, "1 127"));
}

TEST_F(PlayerSession, ChanlWithAStepMovesTheNoteChannel) {
  const std::uint64_t start = session->now();
  turn(85, 127); // Chanl down
  turn(90, 1);   // up: 9 -> 10
  turn(90, 0);
  turn(85, 0);
  EXPECT_TRUE(session->waitForLcd(2, 5, "10", start, 2));
  EXPECT_TRUE(session->waitForLcd(2, 0, "Chanl", start, 2));

  EXPECT_EQ(strike({0x99, 0x24, 0x64}, 0.5), -1) << "the old channel still plays";
  EXPECT_GE(strike({0x9A, 0x24, 0x64}), 0) << "the new channel does not play";
  session->note({0x8A, 0x24, 0x00});
  EXPECT_TRUE(session->waitForSilence(session->secondsToFrames(0.1), 10));
  interruptAndCheckFarewell();
}

TEST_F(PlayerSession, SaveWritesTheSoundsetFileAndLoadRestoresIt) {
  const std::string file = SoundsetImage::fileName(1);
  turn(0, 0); // "NLvl" of drum 0 to 0
  turn(1, 0); // "OLvl" of drum 0 to 0
  turn(76, 1);
  turn(76, 0);
  // The save runs on the program's audio thread: poll for the changed file.
  SoundsetImage saved;
  for (int tries = 0; tries < 200; ++tries) {
    if (SoundsetImage::parse(session->readWorkFile(file), saved) && saved.value[0][10] == 0.0 &&
        saved.value[0][18] == 0.0)
      break;
    session->waitUntilFrame(session->now() + 441);
  }
  ASSERT_TRUE(SoundsetImage::parse(session->readWorkFile(file), saved)) << "no 968-byte file";
  SoundsetImage expected = soundset;
  expected.value[0][10] = 0.0;
  expected.value[0][18] = 0.0;
  EXPECT_EQ(saved.bytes(), expected.bytes());

  turn(0, 127);
  turn(1, 127);
  EXPECT_GE(strike({0x99, 0x24, 0x64}), 0);
  releaseDrum0();

  const std::uint64_t beforeLoad = session->now();
  turn(75, 1);
  EXPECT_TRUE(session->waitForLcd(2, 37, "Soundset1", beforeLoad, 2)) << "no refresh after load";
  EXPECT_EQ(strike({0x99, 0x24, 0x64}, 0.5), -1) << "the load did not restore the levels";
  session->note({0x89, 0x24, 0x00});
  interruptAndCheckFarewell();
}

// Without the controller on the server, the program reports the missing ports and ends by
// itself, cleanly, without opening audio.
TEST(NoController, ProgramReportsTheMissingPortsAndEndsCleanly) {
  JackServer server(256);
  ASSERT_TRUE(server.start());
  ProgramProcess program;
  const std::string client = VirtualController::kClientName;
  ASSERT_TRUE(program.start(runnerPath(), {client + ":1", client + ":0", client + ":display"},
                            server.name()));
  const bool ended = program.waitForExit(20);
  if (!ended) program.interrupt(5);
  server.stop();
  ASSERT_TRUE(ended) << "the program kept running without its controller";
  EXPECT_EQ(program.exitStatus(), 0);
  const std::string out = program.standardOutput();
  EXPECT_NE(out.find("ERROR specified port (ReMOTE ZeRO SL 20:1) not found.\n"), std::string::npos);
  EXPECT_NE(out.find("ERROR specified port (ReMOTE ZeRO SL 20:0) not found.\n"), std::string::npos);
  EXPECT_NE(out.find("ERROR specified port (ReMOTE ZeRO SL 20:display) not found.\n"),
            std::string::npos);
  const std::string farewell = "\nCleaning up...\n\nGoodbye!\n\n";
  ASSERT_GE(out.size(), farewell.size());
  EXPECT_EQ(out.substr(out.size() - farewell.size()), farewell);
}
