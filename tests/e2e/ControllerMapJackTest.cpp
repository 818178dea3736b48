// Controller maps on a private JACK server: a generic controller (knobs as CCs on channel 1, pads
// as notes, all on one port) with a shipped map edits, saves and loads as the ReMOTE does; a map
// learned on a terminal under tmux from a scripted controller drives the next run.
#include "ControllerMap.h"
#include "LcdMirror.h"
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kProgram = TAMBREL_PROGRAM;
const char* kDesk = "Desk 20"; // the generic controller's client; its port 1 sends everything

// What a run left: the LCD picture and the two soundsets it saved.
struct Result {
  LcdMirror::Rows lcd;
  std::string soundset1, soundset2;
  int notesMarked = 0; // LCD marks of played drums after start-up
};

class ControllerMapJack : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tambrel-mapjack-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    config = pattern;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1); // no map of the user's hides a shipped one
    server = std::make_unique<JackServer>(256, 44100);
    ASSERT_TRUE(server->start()) << "no JACK server";
  }
  void TearDown() override {
    if (HasFailure() && session)
      std::printf("program stdout:\n%s\nprogram stderr:\n%s\n",
                  session->program().standardOutput().c_str(),
                  session->program().standardError().c_str());
    session.reset();
    server->stop();
    std::filesystem::remove_all(config);
  }

  // Sends the messages on the controller's port 1, waits until the display has been quiet for
  // half a second, and ends the run.
  Result play(const std::vector<Bytes>& messages) {
    Result result;
    const std::uint64_t from = session->now();
    for (const Bytes& message : messages)
      EXPECT_TRUE(session->controller().send(VirtualController::kControlPort, message));
    EXPECT_TRUE(session->waitForSent());
    size_t seen = 0;
    for (int quiet = 0, tries = 0; quiet < 10 && tries < 400; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const size_t now = session->controller().displayMessages().size();
      quiet = now == seen ? quiet + 1 : 0;
      seen = now;
    }
    EXPECT_TRUE(session->interrupt(5));
    EXPECT_EQ(session->program().exitStatus(), 0);
    LcdMirror mirror;
    for (const auto& event : session->controller().displayMessages())
      if (event.frame >= session->startFrame())
        mirror.accept(event.bytes.data(), event.bytes.size());
    result.lcd = mirror.rows();
    for (const LcdText& text : session->lcdTextsSince(from))
      result.notesMarked += text.row == 4 && text.text == "*";
    const auto bytes1 = session->readWorkFile("soundset  1.dat");
    const auto bytes2 = session->readWorkFile("soundset  2.dat");
    result.soundset1.assign(bytes1.begin(), bytes1.end());
    result.soundset2.assign(bytes2.begin(), bytes2.end());
    return result;
  }

  std::string config;
  std::unique_ptr<JackServer> server;
  std::unique_ptr<TambrelSession> session;
};

Bytes cc(int controller, int value) {
  return {0xB0, static_cast<unsigned char>(controller), static_cast<unsigned char>(value)};
}

Bytes pad(int note, bool down) {
  return {static_cast<unsigned char>(down ? 0x90 : 0x80), static_cast<unsigned char>(note),
          static_cast<unsigned char>(down ? 100 : 0)};
}

TEST_F(ControllerMapJack, AGenericControllerWithAShippedMapEditsSavesAndLoadsAsTheReMote) {
  // The ReMOTE: assign pot 1 held while pot 1 picks a parameter, pot 1 sets its value, Save,
  // up to soundset 2, another value, Save, down to 1, a new value, Load.
  session = std::make_unique<TambrelSession>(20);
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--controller", "ReMOTE ZeRO SL"}));
  const Result remote = play({cc(32, 1), cc(8, 100), cc(32, 0), cc(8, 77), cc(76, 1), cc(76, 0),
                              cc(90, 1), cc(90, 0), cc(8, 30), cc(76, 1), cc(76, 0), cc(91, 1),
                              cc(91, 0), cc(8, 10), cc(75, 1), cc(75, 0)});

  // The LPD8's map: knob 1 is CC 1, pad 1 (note 36) assign pot 1, pads 5-8 (notes 40-43)
  // down, up, Load, Save. Controls and notes come from the same port.
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  const std::string port = std::string(kDesk) + ":1";
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--controller-map", "akai-lpd8",
                                     "--control-in", port, "--notes-in", port, "--lcd-out",
                                     std::string(kDesk) + ":display"}));
  const Result desk =
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

// A tmux server on a socket of its own, whose one session is a terminal of 100 x 40 characters.
class Tmux {
public:
  Tmux() : socket_("tambrel-learn-" + std::to_string(getpid())) {}
  ~Tmux() { run("kill-server"); }
  void start(const std::string& command) const {
    run("-f /dev/null new-session -d -s learn -x 100 -y 40 \"" + command + "\"");
  }
  std::string screen() const {
    std::string text;
    FILE* pane = popen(
        ("tmux -L " + socket_ + " capture-pane -p -S -200 -t learn 2>/dev/null").c_str(), "r");
    if (!pane) return text;
    char line[512];
    while (std::fgets(line, sizeof line, pane))
      text += line;
    pclose(pane);
    return text;
  }
  bool waitFor(const std::string& part, double seconds = 10) const {
    for (int tries = 0; tries < seconds * 20; ++tries) {
      if (screen().find(part) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  void keys(const std::string& keys) const { run("send-keys -t learn " + keys); }
  bool ended() const { return screen().empty(); }

private:
  void run(const std::string& command) const {
    const std::string line = "tmux -L " + socket_ + " " + command + " >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) return; // nothing to do when the server has gone
  }
  std::string socket_;
};

TEST_F(ControllerMapJack, LearnModeUnderTmuxWritesAMapThatDrivesTheNextRun) {
  session = std::make_unique<TambrelSession>(20, 64, kDesk);
  VirtualController& desk = session->controller();
  ASSERT_TRUE(desk.open(server->name()));
  server->makeDefault();
  const std::string file = config + "/desk.json";
  Tmux tmux;
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
  const Result after = play({{0x99, 36, 100}, cc(21, 65), {0x89, 36, 0}});
  EXPECT_EQ(after.soundset1.size(), 968u) << "the assignment's change saved nothing";
  bool shown = false;
  for (const LcdText& text : session->lcdTextsSince(from))
    shown = shown || (text.row == 1 && text.column == 0 && text.text == "0");
  EXPECT_TRUE(shown);
  EXPECT_EQ(after.notesMarked, 0);
}

} // namespace
