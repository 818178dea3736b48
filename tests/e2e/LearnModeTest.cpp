// Learn mode on a terminal under tmux: a scripted controller on a private JACK server answers the
// prompts (an encoder of each relative encoding, an absolute knob, a pad, skips), q saves, and
// the written map drives the next run at once.
#include "ControllerMap.h"
#include "MapRunFixture.h"
#include "TmuxTerminal.h"

#include <filesystem>

namespace {

const std::string kProgram = TAMBREL_PROGRAM;

class LearnMode : public ControllerMapJack {};

TEST_F(LearnMode, UnderTmuxWritesAMapThatDrivesTheNextRun) {
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  VirtualController& desk = session->controller();
  ASSERT_TRUE(desk.open(server->name()));
  server->makeDefault();
  const std::string file = config + "/desk.json";
  TmuxTerminal tmux;
  tmux.start(kProgram + " --midi-api jack --control-in '" + kDesk + ":1' --learn-controller " +
             file + "; sleep 2");
  auto turn = [&](int number, const std::vector<int>& values) {
    for (int value : values)
      desk.send(VirtualController::kControlPort, cc(number, value));
  };
  ASSERT_TRUE(tmux.waitFor("Turn the knob you want as encoder 1 right, then left."))
      << tmux.screen();
  turn(21, {65, 66, 65, 63, 63, 62});
  ASSERT_TRUE(tmux.waitFor("encoder 1: cc 21 on channel 1, offset64")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor("as encoder 2 right")) << tmux.screen();
  turn(22, {40, 41, 42, 41, 40, 39});
  ASSERT_TRUE(tmux.waitFor("encoder 2: cc 22 on channel 1, absolute")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor("as encoder 3 right")) << tmux.screen();
  tmux.keys("Enter");
  ASSERT_TRUE(tmux.waitFor("as encoder 4 right")) << tmux.screen();
  turn(23, {1, 1, 2, 127, 127, 126});
  ASSERT_TRUE(tmux.waitFor("encoder 4: cc 23 on channel 1, twos-complement")) << tmux.screen();
  for (int encoder = 5; encoder <= 8; ++encoder) {
    ASSERT_TRUE(tmux.waitFor("as encoder " + std::to_string(encoder) + " right"));
    tmux.keys("Enter");
  }
  ASSERT_TRUE(tmux.waitFor("as pot 1 right")) << tmux.screen();
  turn(24, {1, 2, 1, 65, 65, 66});
  ASSERT_TRUE(tmux.waitFor("pot 1: cc 24 on channel 1, sign-magnitude")) << tmux.screen();
  for (int pot = 2; pot <= 8; ++pot) {
    ASSERT_TRUE(tmux.waitFor("as pot " + std::to_string(pot) + " right"));
    tmux.keys("Enter");
  }
  ASSERT_TRUE(tmux.waitFor("Press the button or pad you want as the assign button of encoder 1."))
      << tmux.screen();
  desk.send(VirtualController::kControlPort, {0x99, 36, 100});
  desk.send(VirtualController::kControlPort, {0x89, 36, 0});
  ASSERT_TRUE(tmux.waitFor("assign encoder 1: note 36 on channel 10")) << tmux.screen();
  ASSERT_TRUE(tmux.waitFor("Press the button or pad you want as the assign button of encoder 2."))
      << tmux.screen();
  tmux.keys("q");
  ASSERT_TRUE(tmux.waitFor("5 controls written to " + file)) << tmux.screen();

  ControllerMap learned;
  std::string error;
  ASSERT_TRUE(ControllerMap::load(file, learned, error)) << error;
  ASSERT_EQ(learned.bindings().size(), 5u);
  EXPECT_EQ(learned.bindings()[3].encoding, Encoding::SignMagnitude);
  EXPECT_EQ(learned.bindings()[4].message, MessageKind::Note);
  EXPECT_EQ(learned.bindings()[4].channel, 9);
  EXPECT_FALSE(std::filesystem::exists(file + ".part"));
  desk.close();

  // The learned map at once: pad 36 holds encoder 1's assign button, the encoder's +1 steps the
  // slot's parameter: row 1 shows it and the soundset is saved.
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  const std::string port = std::string(kDesk) + ":1";
  ASSERT_TRUE(
      session->startProgram(server->name(), kProgram,
                            {"--midi-api", "jack", "--controller-map", file, "--control-in", port,
                             "--notes-in", port, "--lcd-out", std::string(kDesk) + ":display"}));
  const std::uint64_t from = session->now();
  EXPECT_TRUE(session->readWorkFile("soundset  1.dat").empty());
  const MapRunResult after = play({{0x99, 36, 100}, cc(21, 65), {0x89, 36, 0}});
  EXPECT_EQ(after.soundset1.size(), 968u) << "the assignment's change saved nothing";
  bool shown = false;
  for (const LcdText& text : session->lcdTextsSince(from))
    shown = shown || (text.row == 1 && text.column == 0 && text.text == "0");
  EXPECT_TRUE(shown);
  EXPECT_EQ(after.notesMarked, 0);
}

TEST_F(LearnMode, CtrlCLeavesNoFileBehind) {
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  VirtualController& desk = session->controller();
  ASSERT_TRUE(desk.open(server->name()));
  server->makeDefault();
  const std::string file = config + "/abandoned.json";
  TmuxTerminal tmux;
  // The shell ignores the interrupt so that it lives to show the status; the program sets
  // its own handler.
  tmux.start("trap '' INT; " + kProgram + " --midi-api jack --control-in '" + kDesk +
             ":1' --learn-controller " + file + "; echo status \\$?; sleep 5");
  ASSERT_TRUE(tmux.waitFor("as encoder 1 right")) << tmux.screen();
  for (int value : {65, 65, 65, 63, 63, 63})
    desk.send(VirtualController::kControlPort, cc(30, value));
  ASSERT_TRUE(tmux.waitFor("encoder 1: cc 30 on channel 1, offset64")) << tmux.screen();
  tmux.keys("C-c");
  ASSERT_TRUE(tmux.waitFor("tambrel: interrupted; " + file + " not written")) << tmux.screen();
  EXPECT_TRUE(tmux.waitFor("status 1")) << tmux.screen();
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(file + ".part"));
}

} // namespace
