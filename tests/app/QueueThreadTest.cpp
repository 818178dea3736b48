// The queue between the two MIDI input threads and the audio thread: every message arrives,
// each port's in its order. Also run under ThreadSanitizer.
#include "AppRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr int kMessagesPerPort = 1000;
const int kDrumNotes[5] = {36, 38, 39, 42, 46};

TEST(MessageQueue, TwoPortThreadsAndTheAudioThreadLoseNothingAndKeepEachPortsOrder) {
  AppRig rig;
  std::atomic<int> portsFinished{0};

  // Note port: on and off of each drum in turn, seen as the marks of LCD row 4.
  std::vector<std::string> expectedMarks;
  for (int i = 0; i < kMessagesPerPort; i++)
    expectedMarks.push_back("4," + std::to_string((i / 2) % 5) + (i % 2 ? ": " : ":*"));
  // Control port: sliders, which only make the logic print "controller value".
  std::string expectedLines;
  for (int i = 0; i < kMessagesPerPort; i++)
    expectedLines += std::to_string(16 + (i / 128) % 8) + " " + std::to_string(i % 128) + "\n";

  testing::internal::CaptureStdout();
  std::thread notePort([&] {
    for (int i = 0; i < kMessagesPerPort; i++) {
      Bytes bytes = {static_cast<unsigned char>(i % 2 ? 0x89 : 0x99),
                     static_cast<unsigned char>(kDrumNotes[(i / 2) % 5]), 0x40};
      notePortMidiCallback(0.0, &bytes, &rig.data);
    }
    portsFinished++;
  });
  std::thread controlPort([&] {
    for (int i = 0; i < kMessagesPerPort; i++) {
      Bytes bytes = {0xB0, static_cast<unsigned char>(16 + (i / 128) % 8),
                     static_cast<unsigned char>(i % 128)};
      ctlPortMidiCallback(0.0, &bytes, &rig.data);
    }
    portsFinished++;
  });
  std::thread audio([&] {
    std::vector<double> buffer(2 * 64);
    while (true) {
      // Once both ports are through, one more callback applies all that is left.
      const bool last = portsFinished == 2;
      tick(buffer.data(), nullptr, 64, 0.0, 0, &rig.data);
      if (last) break;
    }
  });
  notePort.join();
  controlPort.join();
  audio.join();
  rig.printConsole();
  const std::string printed = testing::internal::GetCapturedStdout();

  EXPECT_TRUE(rig.data.messageQueue.empty());
  EXPECT_FALSE(rig.data.messagePending);
  EXPECT_EQ(rig.texts(4), expectedMarks);
  EXPECT_EQ(printed, expectedLines);
}

} // namespace
