// Start and stop of the end-to-end fixture.
#include "E2EFixture.h"

#include <cstdio>

void E2EFixture::startAll(int periodFrames, const SoundsetImage* soundset1, double recordSeconds,
                          int eventsPerCycle, bool timed) {
  server = std::make_unique<JackServer>(periodFrames);
  ASSERT_TRUE(server->start()) << "no JACK server";
  session = std::make_unique<TambrelSession>(recordSeconds, eventsPerCycle);
  if (soundset1) session->writeWorkFile(SoundsetImage::fileName(1), soundset1->bytes());
  std::vector<std::string> args;
  if (timed) args.push_back(timingPath());
  ASSERT_TRUE(session->start(server->name(), args))
      << "stdout:\n"
      << session->program().standardOutput() << "\nstderr:\n"
      << session->program().standardError();
}

void E2EFixture::interruptAndCheckFarewell() {
  interrupted = true;
  ASSERT_TRUE(session->interrupt(5)) << "the program did not end within 5 s of SIGINT";
  EXPECT_EQ(session->program().exitStatus(), 0);
  EXPECT_EQ(session->program().termSignal(), 0) << "the program died from a signal";
  const std::string out = session->program().standardOutput();
  const std::string farewell = "\nCleaning up...\n\nGoodbye!\n\n";
  ASSERT_GE(out.size(), farewell.size());
  EXPECT_EQ(out.substr(out.size() - farewell.size()), farewell);
  RecordProperty("seconds_to_exit", std::to_string(session->program().secondsToExit()));
  RecordProperty("restarts", std::to_string(session->restarts()));
}

void E2EFixture::TearDown() {
  if (HasFailure() && session) {
    const std::string out = session->program().standardOutput();
    std::printf("controller: %llu frames, %llu xruns, %zu display messages, dropped by the "
                "server: %s\n"
                "program stderr:\n%s\nprogram stdout (last 2000 bytes):\n%s\n",
                (unsigned long long)session->controller().framesProcessed(),
                (unsigned long long)session->controller().xruns(),
                session->controller().displayMessages().size(),
                session->controller().shutdownReason().c_str(),
                session->program().standardError().c_str(),
                out.substr(out.size() > 2000 ? out.size() - 2000 : 0).c_str());
  }
  // The program first, then the controller, then the server: a server stopped while its
  // clients are dying leaves its files behind.
  session.reset();
  if (server) server->stop();
  server.reset();
}
