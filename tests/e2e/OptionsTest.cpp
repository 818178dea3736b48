// The program as built, started with its options on a private JACK server: its own ports with a
// keyboard connected, the controller under another client number, the port listing, and a
// server at 48000 Hz.
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "LcdMirror.h"

namespace {

using Bytes = std::vector<unsigned char>;

const std::string kProgram = TAMBREL_PROGRAM;

class Options : public ::testing::Test {
protected:
  // Starts a server and opens a session whose controller has the given client name.
  void startServer(int sampleRate, const std::string& controllerName = "ReMOTE ZeRO SL 20") {
    server = std::make_unique<JackServer>(256, sampleRate);
    ASSERT_TRUE(server->start()) << "no JACK server";
    session = std::make_unique<TambrelSession>(20, 64, controllerName);
  }
  // Runs the program to its end with a controller on the server; false when it did not end.
  bool runToEnd(const std::vector<std::string>& args) {
    if (!session->controller().open(server->name())) return false;
    return session->program().start(kProgram, args, server->name()) &&
           session->program().waitForExit(10);
  }
  // A struck drum 0 sounds and is marked on LCD row 4, column 0.
  void expectNotePlaysAndMarks() {
    const std::uint64_t from = session->now();
    session->note({0x99, 0x24, 0x64});
    ASSERT_TRUE(session->waitForLcd(4, 0, "*", from, 5)) << "no mark on row 4";
    session->waitUntilFrame(from + session->secondsToFrames(0.3));
    EXPECT_GE(session->firstSound(from, session->now()), 0) << "the note made no sound";
  }
  void TearDown() override {
    if (HasFailure() && session)
      std::printf("program stdout:\n%s\nprogram stderr:\n%s\n",
                  session->program().standardOutput().c_str(),
                  session->program().standardError().c_str());
    session.reset();
    if (server) server->stop();
  }

  std::unique_ptr<JackServer> server;
  std::unique_ptr<TambrelSession> session;
};

// A tmux server on a socket of its own, whose one session is a terminal of 100 x 30 characters.
class Tmux {
public:
  Tmux() : socket_("tambrel-test-" + std::to_string(getpid())) {}
  ~Tmux() { run("kill-server"); }
  // The arguments that start `command` in the session (the server takes the caller's
  // environment and working directory).
  std::vector<std::string> newSession(const std::string& command) const {
    return {"-L",  socket_, "-f",  "/dev/null", "new-session", "-d",   "-s",
            "lcd", "-x",    "100", "-y",        "30",          command};
  }
  // What the terminal shows, one string per line; empty once the session has ended.
  std::vector<std::string> screen() const {
    std::vector<std::string> lines;
    FILE* pane = popen(("tmux -L " + socket_ + " capture-pane -p -t lcd 2>/dev/null").c_str(), "r");
    if (!pane) return lines;
    char line[512];
    while (std::fgets(line, sizeof line, pane)) {
      std::string text = line;
      if (!text.empty() && text.back() == '\n') text.pop_back();
      lines.push_back(text);
    }
    pclose(pane);
    return lines;
  }
  void run(const std::string& command) const {
    const std::string line = "tmux -L " + socket_ + " " + command + " >/dev/null 2>&1";
    if (std::system(line.c_str()) != 0) return; // nothing to do when the server has gone
  }

private:
  std::string socket_;
};

TEST_F(Options, LcdViewShowsTheFourRowsOnATerminal) {
  startServer(44100, "ReMOTE ZeRO SL 24");
  Tmux tmux;
  const std::string command =
      kProgram + " --midi-api jack --controller 'ReMOTE ZeRO SL' --lcd-view";
  ASSERT_TRUE(session->startProgram(server->name(), "/usr/bin/tmux", tmux.newSession(command)));

  const std::uint64_t from = session->now();
  session->note({0x99, 0x24, 0x64});
  session->control(84, 127); // Rand held: its label on row 2
  ASSERT_TRUE(session->waitForLcd(4, 0, "*", from, 5));
  ASSERT_TRUE(session->waitForLcd(2, 0, "Rand ", from, 5));

  // The terminal shows, framed at its top, what the controller's LCDs were sent.
  LcdMirror sent;
  for (const auto& event : session->controller().displayMessages())
    if (event.frame >= session->startFrame()) sent.accept(event.bytes.data(), event.bytes.size());
  const LcdMirror::Rows rows = sent.rows();
  const std::vector<std::string> expected = {"|" + rows[0] + "|", "|" + rows[1] + "|",
                                             "|" + rows[2] + "|", "|" + rows[3] + "|"};
  std::vector<std::string> screen;
  for (int tries = 0; tries < 100; tries++) { // redrawn within 1/30 s; tmux takes its time too
    screen = tmux.screen();
    if (screen.size() > 6 && screen[1] == expected[0] && screen[2] == expected[1] &&
        screen[4] == expected[2] && screen[5] == expected[3])
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_GT(screen.size(), 6u);
  EXPECT_EQ(screen[1], expected[0]);
  EXPECT_EQ(screen[2], expected[1]);
  EXPECT_EQ(screen[4], expected[2]);
  EXPECT_EQ(screen[5], expected[3]);
  EXPECT_EQ(screen[0], "+" + std::string(72, '-') + "+");
  // Independently of the mirror: the slots' labels, the mode and the drum's mark.
  EXPECT_EQ(screen[1].substr(0, 10), "|0B+-     ");
  EXPECT_EQ(screen[2].substr(0, 6), "|Rand ");
  EXPECT_EQ(screen[5].substr(0, 3), "|* ");
  // The per-event lines scroll below the picture: the Rand press is one of them.
  bool eventLine = false;
  for (size_t i = 7; i < screen.size(); i++)
    eventLine = eventLine || screen[i] == "84 127";
  EXPECT_TRUE(eventLine);

  tmux.run("send-keys -t lcd C-c");
  for (int tries = 0; tries < 100 && !tmux.screen().empty(); tries++)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(tmux.screen().empty()) << "the program did not end on Ctrl-C";
}

TEST_F(Options, OwnPortsPlayFromAKeyboardConnectedToThem) {
  startServer(44100);
  // Controls and display by selector; the notes port is connected afterwards, by the player.
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--virtual", "--control-in",
                                     "ReMOTE ZeRO SL 20:1", "--lcd-out", "display"}));
  const std::vector<std::string> notes =
      session->controller().midiPorts(":notes$", JackPortIsInput);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(session->controller().midiPorts("^tambrel.*:control$", JackPortIsInput).size(), 1u);
  EXPECT_EQ(session->controller().midiPorts("^tambrel.*:lcd$", JackPortIsOutput).size(), 1u);
  ASSERT_TRUE(session->controller().connect("ReMOTE ZeRO SL 20:0", notes[0]));
  // A connection carries MIDI from the server's next cycles on: give it a few.
  ASSERT_TRUE(session->waitUntilFrame(session->now() + session->secondsToFrames(0.1)));
  expectNotePlaysAndMarks();

  // The controls arrive through the port the selector connected: Rand shows on row 2.
  const std::uint64_t from = session->now();
  session->control(84, 127);
  EXPECT_TRUE(session->waitForLcd(2, 0, "Rand ", from, 5));
  ASSERT_TRUE(session->interrupt(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0) << "the program died from a signal";
}

TEST_F(Options, ControllerIsFoundByNameUnderAnotherClientNumber) {
  startServer(44100, "ReMOTE ZeRO SL 24");
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--controller", "ReMOTE ZeRO SL"}));
  expectNotePlaysAndMarks();
  ASSERT_TRUE(session->interrupt(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0) << "the program died from a signal";
  const std::string out = session->program().standardOutput();
  EXPECT_NE(out.find("Connecting the control input to #1: ReMOTE ZeRO SL 24:1\n"),
            std::string::npos);
}

TEST_F(Options, SoundsetsAreSavedInTheGivenDirectory) {
  startServer(44100);
  const std::string sets = session->program().sidePath("sets");
  ASSERT_EQ(mkdir(sets.c_str(), 0755), 0);
  ASSERT_TRUE(session->startProgram(
      server->name(), kProgram,
      {"--midi-api", "jack", "--controller", "ReMOTE ZeRO SL", "--soundset-dir", sets}));
  session->control(76, 1); // Save pressed
  session->control(76, 0);
  const std::string saved = sets + "/soundset  1.dat";
  for (int tries = 0; tries < 100 && readFile(saved).size() != 968; tries++)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(readFile(saved).size(), 968u);
  EXPECT_TRUE(session->readWorkFile("soundset  1.dat").empty()) << "saved in the working directory";
  ASSERT_TRUE(session->interrupt(5));
}

TEST_F(Options, ListPortsShowsTheControllersPortsAndAudioInputs) {
  startServer(44100);
  ASSERT_TRUE(runToEnd({"--list-ports", "--midi-api", "jack", "--audio-api", "jack"}));
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0) << "the program died from a signal";
  const std::string out = session->program().standardOutput();
  const size_t inputs = out.find("MIDI inputs (Jack):\n");
  const size_t outputs = out.find("MIDI outputs (Jack):\n");
  const size_t audio = out.find("Audio output devices (Jack):\n");
  ASSERT_NE(inputs, std::string::npos) << out;
  ASSERT_NE(outputs, std::string::npos) << out;
  ASSERT_NE(audio, std::string::npos) << out;
  const std::string inputList = out.substr(inputs, outputs - inputs);
  const std::string outputList = out.substr(outputs, audio - outputs);
  EXPECT_NE(inputList.find(": ReMOTE ZeRO SL 20:0\n"), std::string::npos) << out;
  EXPECT_NE(inputList.find(": ReMOTE ZeRO SL 20:1\n"), std::string::npos) << out;
  EXPECT_NE(outputList.find(": ReMOTE ZeRO SL 20:display\n"), std::string::npos) << out;
  EXPECT_NE(out.find(": ReMOTE ZeRO SL 20, 2 channels, 44100 Hz\n", audio), std::string::npos)
      << out;
}

TEST_F(Options, ASelectorThatNamesNoPortListsTheCandidatesAndEndsWithStatus1) {
  startServer(44100);
  ASSERT_TRUE(runToEnd({"--midi-api", "jack", "--controller", "Keystation"}));
  EXPECT_EQ(session->program().exitStatus(), 1);
  const std::string err = session->program().standardError();
  EXPECT_NE(err.find("tambrel: no MIDI input matches \"Keystation:1\""), std::string::npos);
  EXPECT_NE(err.find(": ReMOTE ZeRO SL 20:1\n"), std::string::npos);
  EXPECT_TRUE(session->controller().displayMessages().empty());
}

TEST_F(Options, AnAudioDeviceNotFoundListsTheDevicesAndEndsWithStatus1) {
  startServer(44100);
  ASSERT_TRUE(runToEnd({"--midi-api", "jack", "--audio-api", "jack", "--controller",
                        "ReMOTE ZeRO SL", "--device", "usb"}));
  EXPECT_EQ(session->program().exitStatus(), 1);
  const std::string err = session->program().standardError();
  EXPECT_EQ(
      err.rfind("tambrel: no audio output device matches \"usb\"; the Jack devices are:\n", 0), 0u)
      << err;
  EXPECT_NE(err.find("  #0: system\n"), std::string::npos);
  EXPECT_TRUE(session->controller().displayMessages().empty()) << "a port was opened";
}

TEST_F(Options, AServerAtAnotherRateIsNamedInOneLineUnlessTheRateIsGiven) {
  startServer(48000);
  ASSERT_TRUE(
      runToEnd({"--midi-api", "jack", "--audio-api", "jack", "--controller", "ReMOTE ZeRO SL"}));
  EXPECT_EQ(session->program().exitStatus(), 1);
  EXPECT_EQ(session->program().standardError(),
            "tambrel: the JACK server runs at 48000 Hz, not 44100 Hz; start tambrel with "
            "--sample-rate 48000\n");
  EXPECT_EQ(session->program().standardOutput(), "");
  EXPECT_TRUE(session->controller().displayMessages().empty()) << "a port was opened";

  session = std::make_unique<TambrelSession>(20);
  ASSERT_TRUE(session->startProgram(server->name(), kProgram,
                                    {"--midi-api", "jack", "--audio-api", "jack", "--controller",
                                     "ReMOTE ZeRO SL", "--sample-rate", "48000"}));
  EXPECT_EQ(session->controller().sampleRate(), 48000u);
  expectNotePlaysAndMarks();
  ASSERT_TRUE(session->interrupt(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0) << "the program died from a signal";
}

} // namespace
