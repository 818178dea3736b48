// The program as one JACK client when MIDI and audio both run on JACK: its five ports under one
// name, the note channel of --channel, and the end of a run by SIGTERM or by the server's going.
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kProgram = TAMBREL_PROGRAM;
const std::vector<std::string> kOnJack = {"--midi-api", "jack",         "--audio-api",
                                          "jack",       "--controller", "ReMOTE ZeRO SL"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Standard error without the note that this machine grants no real-time scheduling.
std::string errorsOf(const std::string& standardError) {
  const std::string note = "tambrel: the audio thread runs without real-time scheduling (not "
                           "permitted here); it may glitch under load\n";
  std::string text = standardError;
  const size_t at = text.find(note);
  if (at != std::string::npos) text.erase(at, note.size());
  return text;
}

size_t lineCount(const std::string& text) {
  return size_t(std::count(text.begin(), text.end(), '\n'));
}

class OneClient : public ::testing::Test {
protected:
  void SetUp() override {
    server = std::make_unique<JackServer>(256, 44100);
    ASSERT_TRUE(server->start()) << "no JACK server";
    session = std::make_unique<TambrelSession>(20);
  }
  void TearDown() override {
    if (HasFailure() && session)
      std::printf("program stdout:\n%s\nprogram stderr:\n%s\n",
                  session->program().standardOutput().c_str(),
                  session->program().standardError().c_str());
    session.reset();
    if (server) server->stop();
  }
  // Every port of the server outside the controller and the sound card, sorted.
  std::vector<std::string> programPorts() const {
    jack_status_t status;
    jack_client_t* client =
        jack_client_open("port-lister", jack_options_t(JackNoStartServer | JackServerName), &status,
                         server->name().c_str());
    std::vector<std::string> names;
    if (!client) return names;
    const char** ports = jack_get_ports(client, nullptr, nullptr, 0);
    for (size_t i = 0; ports && ports[i]; i++) {
      const std::string name = ports[i];
      if (name.rfind("system:", 0) != 0 && name.rfind("ReMOTE ZeRO SL 20:", 0) != 0)
        names.push_back(name);
    }
    jack_free(ports);
    jack_client_close(client);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Drum 0 struck on `status`'s channel: the frame of its first sound, or -1 within 0.3 s.
  long long strike(unsigned char status) {
    const std::uint64_t from = session->now();
    session->note({status, 0x24, 0x64});
    session->waitUntilFrame(from + session->secondsToFrames(0.3));
    session->note({static_cast<unsigned char>(status - 0x10), 0x24, 0x00});
    return session->firstSound(from, session->now());
  }

  std::unique_ptr<JackServer> server;
  std::unique_ptr<TambrelSession> session;
};

TEST_F(OneClient, FivePortsUnderOneNameAndSigtermEndsWithTheFarewell) {
  ASSERT_TRUE(session->startProgram(server->name(), kProgram, kOnJack));
  EXPECT_EQ(programPorts(),
            (std::vector<std::string>{"tambrel:control", "tambrel:lcd", "tambrel:notes",
                                      "tambrel:outport 0", "tambrel:outport 1"}));
  EXPECT_GE(strike(0x99), 0) << "the note made no sound";

  kill(session->program().pid(), SIGTERM);
  ASSERT_TRUE(session->program().waitForExit(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0);
  const std::string out = session->program().standardOutput();
  EXPECT_NE(out.find("\nCleaning up...\n"), std::string::npos);
  EXPECT_NE(out.find("\nGoodbye!\n"), std::string::npos);
  EXPECT_EQ(errorsOf(session->program().standardError()), "");
}

TEST_F(OneClient, JackNameNamesTheClient) {
  ASSERT_TRUE(
      session->startProgram(server->name(), kProgram, with(kOnJack, {"--jack-name", "drums"})));
  EXPECT_EQ(programPorts(), (std::vector<std::string>{"drums:control", "drums:lcd", "drums:notes",
                                                      "drums:outport 0", "drums:outport 1"}));
  ASSERT_TRUE(session->interrupt(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
}

TEST_F(OneClient, ChannelOneIsPlayedAndShownAsTheDisplayCountsIt) {
  ASSERT_TRUE(session->startProgram(server->name(), kProgram, with(kOnJack, {"--channel", "1"})));
  // The display counts channels from 0: channel 1 shows as "00", the default 10 as "09".
  EXPECT_TRUE(session->waitForLcd(2, 5, "00", session->startFrame(), 0));
  EXPECT_GE(strike(0x90), 0) << "channel 1 does not play";
  EXPECT_EQ(strike(0x99), -1) << "channel 10 still plays";
  ASSERT_TRUE(session->interrupt(5));
  EXPECT_EQ(session->program().exitStatus(), 0);
}

TEST_F(OneClient, AServerThatStopsOrIsKilledEndsTheRunWithOneLineAndStatus1) {
  for (bool killed : {false, true}) {
    if (killed) { // a new server and controller for the second run
      session.reset();
      server = std::make_unique<JackServer>(256, 44100);
      ASSERT_TRUE(server->start()) << "no JACK server";
      session = std::make_unique<TambrelSession>(20);
    }
    ASSERT_TRUE(session->startProgram(server->name(), kProgram, kOnJack));
    session->controller().close();
    killed ? server->kill() : server->stop();
    ASSERT_TRUE(session->program().waitForExit(5)) << "the program hangs";
    EXPECT_EQ(session->program().exitStatus(), 1);
    EXPECT_EQ(session->program().termSignal(), 0);
    const std::string err = errorsOf(session->program().standardError());
    EXPECT_EQ(lineCount(err), 1u) << err;
    EXPECT_EQ(err.rfind("tambrel: the JACK server went away", 0), 0u) << err;
    EXPECT_NE(session->program().standardOutput().find("\nGoodbye!\n"), std::string::npos);
  }
}

} // namespace
