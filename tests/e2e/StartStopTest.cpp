// Many runs of the one JACK client from start to end: 200 started, played and interrupted on one
// server, and 50 whose server is killed while they play. Every run must end as it should.
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kProgram = TAMBREL_PROGRAM;
const std::vector<std::string> kOnJack = {"--midi-api", "jack",         "--audio-api",
                                          "jack",       "--controller", "ReMOTE ZeRO SL"};
const std::string kRealtimeNote = "tambrel: the audio thread runs without real-time scheduling "
                                  "(not permitted here); it may glitch under load\n";

// Standard error without the note that this machine grants no real-time scheduling.
std::string errorsOf(std::string text) {
  const size_t at = text.find(kRealtimeNote);
  if (at != std::string::npos) text.erase(at, kRealtimeNote.size());
  return text;
}

// Starts the program with a controller on the server and plays one note; false when it did
// not come up.
bool startAndPlay(TambrelSession& session, const JackServer& server) {
  if (!session.startProgram(server.name(), kProgram, kOnJack)) return false;
  session.note({0x99, 0x24, 0x64});
  session.waitUntilFrame(session.now() + session.secondsToFrames(0.05));
  return true;
}

void printTimes(const char* what, std::vector<double> seconds) {
  if (seconds.empty()) return;
  std::sort(seconds.begin(), seconds.end());
  std::printf("%s: %zu runs, seconds to exit: median %.3f, max %.3f\n", what, seconds.size(),
              seconds[seconds.size() / 2], seconds.back());
}

TEST(StartStop, TwoHundredInterruptedRunsEachEndWithStatus0) {
  JackServer server(256, 44100);
  ASSERT_TRUE(server.start());
  int notStarted = 0, hung = 0, badStatus = 0, signalled = 0;
  std::vector<double> exitTimes;
  for (int run = 0; run < 200; run++) {
    TambrelSession session(2);
    if (!startAndPlay(session, server)) {
      notStarted++;
      continue;
    }
    if (!session.interrupt(5)) hung++;
    if (session.program().termSignal() != 0)
      signalled++;
    else if (session.program().exitStatus() != 0)
      badStatus++;
    exitTimes.push_back(session.program().secondsToExit());
  }
  printTimes("SIGINT", exitTimes);
  EXPECT_EQ(notStarted, 0);
  EXPECT_EQ(hung, 0);
  EXPECT_EQ(signalled, 0);
  EXPECT_EQ(badStatus, 0);
}

TEST(StartStop, FiftyRunsWhoseServerIsKilledEachEndWithOneLineAndStatus1) {
  int notStarted = 0, hung = 0, badStatus = 0, signalled = 0, badErrors = 0;
  std::vector<double> exitTimes;
  for (int run = 0; run < 50; run++) {
    JackServer server(256, 44100);
    ASSERT_TRUE(server.start());
    TambrelSession session(2);
    if (!startAndPlay(session, server)) {
      notStarted++;
      continue;
    }
    session.controller().close();
    server.kill(); // also removes the server's files in /dev/shm
    if (!session.program().waitForExit(5)) {
      hung++;
      continue;
    }
    if (session.program().termSignal() != 0)
      signalled++;
    else if (session.program().exitStatus() != 1)
      badStatus++;
    const std::string errors = errorsOf(session.program().standardError());
    if (std::count(errors.begin(), errors.end(), '\n') != 1 ||
        errors.rfind("tambrel: the JACK server went away", 0) != 0) {
      badErrors++;
      std::printf("run %d, standard error:\n%s", run, errors.c_str());
    }
    exitTimes.push_back(session.program().secondsToExit());
  }
  printTimes("server killed", exitTimes);
  EXPECT_EQ(notStarted, 0);
  EXPECT_EQ(hung, 0);
  EXPECT_EQ(signalled, 0);
  EXPECT_EQ(badStatus, 0);
  EXPECT_EQ(badErrors, 0);
}

} // namespace
