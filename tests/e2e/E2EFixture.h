// Test fixture of the end-to-end tests: a private JACK server, the virtual controller and the
// program, started in that order and stopped in the reverse one.
#ifndef TAMBREL_TESTS_E2E_E2EFIXTURE_H
#define TAMBREL_TESTS_E2E_E2EFIXTURE_H

#include "SoundsetImage.h"
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

class E2EFixture : public ::testing::Test {
protected:
  // Parameter indices of the kit's voices.
  static constexpr int kNoiseLevel = 10; // "NLvl"
  static constexpr int kToneLevel = 18;  // "OLvl"

  void TearDown() override;

  // Starts a server with the given period, the controller and the program, with `soundset1`
  // (if given) as the soundset 1 file of the program's working directory.
  void startAll(int periodFrames, const SoundsetImage* soundset1, double recordSeconds = 30,
                int eventsPerCycle = 64, bool timed = false);
  // SIGINT, then checks the clean ending: exit status 0 and the two farewell lines.
  void interruptAndCheckFarewell();

  // The file the runner writes callback timings to, when started timed.
  std::string timingPath() const { return session->program().sidePath("timing.txt"); }

  std::unique_ptr<JackServer> server;
  std::unique_ptr<TambrelSession> session;
  bool interrupted = false;
};

#endif
