// The controller-map runs: server, user's folder and one played run.
#include "MapRunFixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <unistd.h>

void ControllerMapJack::SetUp() {
  char pattern[] = "/tmp/tambrel-mapjack-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  config = pattern;
  setenv("XDG_CONFIG_HOME", config.c_str(), 1); // no map of the user's hides a shipped one
  server = std::make_unique<JackServer>(256, 44100);
  ASSERT_TRUE(server->start()) << "no JACK server";
}

void ControllerMapJack::TearDown() {
  if (HasFailure() && session)
    std::printf("program stdout:\n%s\nprogram stderr:\n%s\n",
                session->program().standardOutput().c_str(),
                session->program().standardError().c_str());
  session.reset();
  server->stop();
  std::filesystem::remove_all(config);
}

MapRunResult ControllerMapJack::play(const std::vector<Bytes>& messages) {
  MapRunResult result;
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
    if (event.frame >= session->startFrame()) mirror.accept(event.bytes.data(), event.bytes.size());
  result.lcd = mirror.rows();
  for (const LcdText& text : session->lcdTextsSince(from))
    result.notesMarked += text.row == 4 && text.text == "*";
  const auto bytes1 = session->readWorkFile("soundset  1.dat");
  const auto bytes2 = session->readWorkFile("soundset  2.dat");
  result.soundset1.assign(bytes1.begin(), bytes1.end());
  result.soundset2.assign(bytes2.begin(), bytes2.end());
  return result;
}
