// Note-to-sound latency at a period of 64 frames, over 100 notes: from the frame the controller
// sends a note-on to the first non-zero frame it records back from the program.
#include "E2EFixture.h"

#include <algorithm>
#include <cstdio>

class Latency : public E2EFixture {};

TEST_F(Latency, HundredNotesFromControllerToRecordedSound) {
  // Drum 0 with its fastest decays, so that it falls silent soon after each note-off.
  SoundsetImage soundset = SoundsetImage::defaults();
  for (int decay : {2, 8, 16})
    soundset.value[0][decay] = 1.0;
  startAll(64, &soundset, 90);
  const int period = int(session->controller().periodFrames());
  std::vector<long long> latencies;
  int lost = 0;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(session->waitForSilence(session->secondsToFrames(0.02), 10));
    const std::size_t sentBefore = session->controller().sentEvents().size();
    session->note({0x99, 0x24, 0x64});
    ASSERT_TRUE(session->waitForSent());
    const std::uint64_t sentAt = session->controller().sentEvents()[sentBefore].frame;
    session->waitUntilFrame(sentAt + session->secondsToFrames(0.1));
    const long long heard = session->firstSound(sentAt, session->now());
    session->note({0x89, 0x24, 0x00});
    if (heard < 0) {
      ++lost;
      continue;
    }
    latencies.push_back(heard - static_cast<long long>(sentAt));
  }
  const std::uint64_t xruns = session->controller().xruns();
  interruptAndCheckFarewell();

  // A lost note is a fault unless the server reported xruns, which may drop MIDI.
  if (xruns == 0) {
    EXPECT_EQ(lost, 0);
  }
  ASSERT_FALSE(latencies.empty());
  std::sort(latencies.begin(), latencies.end());
  const long long median = latencies[latencies.size() / 2];
  const long long worst = latencies.back();
  const double msPerFrame = 1000.0 / session->controller().sampleRate();
  std::printf("latency over %zu notes at period %d: median %lld frames (%.2f ms), best %lld, "
              "worst %lld frames (%.2f ms); target worst <= %d; lost %d; xruns %llu\n",
              latencies.size(), period, median, median * msPerFrame, latencies.front(), worst,
              worst * msPerFrame, period + 64, lost, (unsigned long long)xruns);
  RecordProperty("latency_median_frames", std::to_string(median));
  RecordProperty("latency_worst_frames", std::to_string(worst));
  RecordProperty("xruns", std::to_string(xruns));
  // Sound never comes before the note that causes it.
  EXPECT_GE(latencies.front(), 0);
}
