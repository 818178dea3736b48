// The plugin played live in jalv on a private JACK2 server: notes from one client, audio
// recorded by another, so that the chain notes -> jalv -> recorder runs within one period.
#include "JalvHost.h"
#include "VirtualController.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <jack/jack.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kPeriodFrames = 1024; // a long period: fewer xruns on a busy machine
constexpr double kTimeout = 20;     // s: generous, the machine is shared with builds
const char* const kKitUri = "urn:tambrel:lv2:kit";
const char* const kFiveOutUri = "urn:tambrel:lv2:kit-5out";
const int kDrumNotes[5] = {36, 38, 39, 42, 46};

template <typename Predicate> bool waitFor(Predicate done, double timeoutSeconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class JalvKitTest : public ::testing::Test {
protected:
  // Starts the server, the note sender, the recorder and jalv with the plugin, then connects
  // sender -> jalv's control port and jalv's `left` and `right` outputs -> recorder.
  void startAll(const char* pluginUri, const std::vector<std::string>& controls,
                const std::string& left, const std::string& right) {
    server = std::make_unique<JackServer>(kPeriodFrames);
    ASSERT_TRUE(server->start()) << "no JACK server";
    sender = std::make_unique<VirtualController>(1, 64, "tambrel-notes");
    recorder = std::make_unique<VirtualController>(120, 64, "tambrel-recorder");
    ASSERT_TRUE(sender->open(server->name()));
    ASSERT_TRUE(recorder->open(server->name()));
    jalv = std::make_unique<JalvHost>("tambrel-jalv");
    ASSERT_TRUE(jalv->start(server->name(), pluginUri, controls));
    // jalv registers its ports once the plugin is instantiated, or exits when it cannot be.
    const std::string controlPort = jalv->port("control");
    ASSERT_TRUE(waitFor(
        [&] {
          return !jalv->running() || !recorder->midiPorts(controlPort, JackPortIsInput).empty();
        },
        kTimeout));
    ASSERT_TRUE(jalv->running()) << "jalv exited at start-up";
    ASSERT_TRUE(recorder->connectRecorder(jalv->port(left), jalv->port(right), kTimeout))
        << jalv->output();
    ASSERT_TRUE(sender->connect(sender->clientName() + ":0", controlPort));
    quietFrom = recorder->framesProcessed();
  }

  void TearDown() override {
    if (HasFailure() && jalv) std::printf("%s\n", jalv->output().c_str());
    // jalv first, then the clients, then the server: a server stopped while its clients are
    // dying leaves its files behind.
    jalv.reset();
    sender.reset();
    recorder.reset();
    if (server) server->stop();
  }

  // Sends one MIDI message and waits until it has gone out; returns the frame it went out at
  // on the recorder's clock (both clocks count the server's periods from their own start).
  std::uint64_t play(unsigned char status, int note, int velocity) {
    EXPECT_TRUE(
        sender->send(VirtualController::kNotePort, {status, static_cast<unsigned char>(note),
                                                    static_cast<unsigned char>(velocity)}));
    EXPECT_TRUE(waitFor([&] { return sender->pendingSends() == 0; }, kTimeout));
    const std::int64_t offset =
        std::int32_t(sender->originFrameTime() - recorder->originFrameTime());
    return std::uint64_t(std::int64_t(sender->sentEvents().back().frame) + offset);
  }

  std::uint64_t framesOf(double seconds) const {
    return std::uint64_t(seconds * recorder->sampleRate());
  }

  bool waitUntilRecorded(std::uint64_t frame) {
    return waitFor([&] { return recorder->framesProcessed() >= frame; }, kTimeout);
  }

  // First frame in [from, to) with a non-zero sample, or -1.
  long long firstSound(std::uint64_t from, std::uint64_t to) const {
    const std::vector<float> samples = recorder->recording(from, to);
    for (std::size_t i = 0; i < samples.size(); ++i)
      if (samples[i] != 0.0f) return static_cast<long long>(from + i);
    return -1;
  }

  float peak(std::uint64_t from, std::uint64_t to) const {
    float largest = 0;
    for (float sample : recorder->recording(from, to))
      largest = std::fmax(largest, std::fabs(sample));
    return largest;
  }

  // Waits until the last 0.1 s recorded are silent, and notes where that silence began.
  void waitForSilence() {
    const std::uint64_t window = framesOf(0.1);
    ASSERT_TRUE(waitFor(
        [&] {
          const std::uint64_t end = recorder->framesProcessed();
          return end >= window && firstSound(end - window, end) < 0;
        },
        kTimeout))
        << "the drums never fell silent";
    quietFrom = recorder->framesProcessed() - window;
  }

  // Plays a note after silence and checks that the sound starts at its frame and is loud. The
  // two clients' clocks are related through the server's frame time, which a client that runs
  // late on a busy machine reads a period ahead: the onset may be off by that period. A note
  // played while the server reported an xrun may be lost: it is played again, up to five times
  // in all.
  void expectDrumSoundsAtItsNote(unsigned char status, int note) {
    for (int attempt = 1;; ++attempt) {
      ASSERT_NO_FATAL_FAILURE(waitForSilence());
      const std::uint64_t xrunsBefore = recorder->xruns();
      const std::uint64_t noteFrame = play(status, note, 100);
      ASSERT_TRUE(waitUntilRecorded(noteFrame + framesOf(0.3)));
      const std::uint64_t xruns = recorder->xruns() - xrunsBefore;
      if (xruns > 0 && attempt < 5) continue;
      const long long onset = firstSound(quietFrom, noteFrame + framesOf(0.3));
      ASSERT_GE(onset, 0) << "note " << note << " gave no sound (" << xruns << " xruns)";
      const long long delay = onset - static_cast<long long>(noteFrame);
      EXPECT_LE(std::llabs(delay), kPeriodFrames)
          << "note " << note << " sounded " << delay << " frames after it (" << xruns << " xruns)";
      EXPECT_GT(peak(noteFrame, noteFrame + framesOf(0.3)), 0.01f) << "note " << note;
      RecordProperty("onset_frames_after_note_" + std::to_string(note), std::to_string(delay));
      return;
    }
  }

  // Plays a note and checks that the next 0.3 s stay silent.
  void expectNoteIgnored(unsigned char status, int note) {
    ASSERT_NO_FATAL_FAILURE(waitForSilence());
    const std::uint64_t noteFrame = play(status, note, 100);
    ASSERT_TRUE(waitUntilRecorded(noteFrame + framesOf(0.3)));
    EXPECT_EQ(firstSound(quietFrom, noteFrame + framesOf(0.3)), -1)
        << "status " << int(status) << " note " << note << " sounded";
  }

  void stopJalv() {
    EXPECT_TRUE(jalv->stop(kTimeout)) << "jalv did not end cleanly on SIGINT";
    EXPECT_FALSE(jalv->running());
  }

  std::unique_ptr<JackServer> server;
  std::unique_ptr<VirtualController> sender;
  std::unique_ptr<VirtualController> recorder;
  std::unique_ptr<JalvHost> jalv;
  std::uint64_t quietFrom = 0; // recorder frame from which the recording is silent
};

TEST_F(JalvKitTest, SilentUntilTheFirstNoteThenEveryDrumSoundsAtItsNote) {
  ASSERT_NO_FATAL_FAILURE(startAll(kKitUri, {}, "out_l", "out_r"));
  const std::uint64_t connected = quietFrom;
  ASSERT_TRUE(waitUntilRecorded(connected + framesOf(0.5)));
  EXPECT_EQ(firstSound(connected, connected + framesOf(0.5)), -1) << "sound before any note";
  for (int note : kDrumNotes)
    ASSERT_NO_FATAL_FAILURE(expectDrumSoundsAtItsNote(0x90, note));
  // Channel "any" (the default) takes a note on channel 16 too; other notes give nothing.
  ASSERT_NO_FATAL_FAILURE(expectDrumSoundsAtItsNote(0x9F, 36));
  ASSERT_NO_FATAL_FAILURE(expectNoteIgnored(0x90, 37));
  // In a period the server reports as an xrun the recorder may read jalv's outputs while jalv
  // still writes them; otherwise the two outputs carry one signal.
  if (recorder->xruns() == 0) {
    EXPECT_EQ(recorder->channelMismatches(), 0u) << "out_l and out_r differ";
  }
  RecordProperty("channel_mismatches", std::to_string(recorder->channelMismatches()));
  RecordProperty("xruns", std::to_string(recorder->xruns()));
  stopJalv();
}

TEST_F(JalvKitTest, TheChannelControlSetOnTheCommandLineFiltersNotes) {
  ASSERT_NO_FATAL_FAILURE(startAll(kKitUri, {"channel=10"}, "out_l", "out_r"));
  ASSERT_NO_FATAL_FAILURE(expectNoteIgnored(0x90, 36));         // channel 1
  ASSERT_NO_FATAL_FAILURE(expectNoteIgnored(0x9A, 38));         // channel 11
  ASSERT_NO_FATAL_FAILURE(expectDrumSoundsAtItsNote(0x99, 36)); // channel 10
  stopJalv();
}

TEST_F(JalvKitTest, TheFiveOutputPluginPlaysEachDrumOnItsOwnOutput) {
  // Drum 1 (note 38) on both recorder inputs: only its own note reaches it.
  ASSERT_NO_FATAL_FAILURE(startAll(kFiveOutUri, {}, "out_d1", "out_d1"));
  for (int note : kDrumNotes) {
    if (note != 38) {
      ASSERT_NO_FATAL_FAILURE(expectNoteIgnored(0x90, note));
    }
  }
  ASSERT_NO_FATAL_FAILURE(expectDrumSoundsAtItsNote(0x90, 38));
  stopJalv();
}

} // namespace
