// The audio callback waits for nothing: not for the display, the console, the disk or a Load.
#include "AppRig.h"
#include "SoundsetFile.h"
#include "SoundsetFormat.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Sanitizers slow every instruction several times: under them the times are printed, not held
// against the period. What waits on what is checked all the same.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kTimed = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kTimed = false;
#else
constexpr bool kTimed = true;
#endif
#else
constexpr bool kTimed = true;
#endif

double secondsOn(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return now.tv_sec + now.tv_nsec * 1e-9;
}

class AudioThread : public ::testing::Test {
protected:
  // One callback of 64 frames (1.45 ms at 44100 Hz); returns its wall time in seconds. A
  // callback that waits for anything (a pipe, a lock, a sleep) gives up the processor of its own
  // accord: it must never; one taken off the processor by the scheduler is not held to 10 ms.
  double callback() {
    rusage before, after;
    getrusage(RUSAGE_THREAD, &before);
    const double start = secondsOn(CLOCK_MONOTONIC);
    EXPECT_EQ(tick(buffer, nullptr, 64, 0.0, 0, &rig.data), 0);
    const double wall = secondsOn(CLOCK_MONOTONIC) - start;
    getrusage(RUSAGE_THREAD, &after);
    if (kTimed) { // a sanitizer's own locks may wait
      EXPECT_EQ(after.ru_nvcsw, before.ru_nvcsw) << "the callback waited";
    }
    return after.ru_nivcsw == before.ru_nivcsw ? wall : 0.0;
  }
  // Callbacks until every queued message is applied and no Load or Paste waits for its file.
  void callbackUntilApplied() {
    for (int i = 0; i < 2000; ++i) {
      callback();
      if (rig.data.messageQueue.empty() && !rig.data.messagePending && !rig.logic->awaitingRead())
        return;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    FAIL() << "messages still waiting";
  }
  void control(int controller, int value) {
    rig.queue(Port::Control,
              {0xB0, static_cast<unsigned char>(controller), static_cast<unsigned char>(value)});
  }
  std::vector<unsigned char> savedSoundset() {
    stk::Soundset soundset;
    stk::SoundsetFormat::capture(*rig.kit, rig.logic->controlAssignment, soundset);
    std::vector<unsigned char> bytes(stk::SoundsetFormat::kSoundsetBytes);
    stk::SoundsetFormat::encode(soundset, bytes.data());
    return bytes;
  }
  static std::vector<unsigned char> fileBytes(const std::string& name) {
    std::vector<unsigned char> bytes;
    stk::SoundsetFile::read(name, 1 << 16, bytes);
    return bytes;
  }

  AppRig rig;
  double buffer[2 * 64];
};

TEST_F(AudioThread, SixteenHundredNoteOnsInOneCallbackLeaveTheDisplayToItsSender) {
  for (int i = 0; i < 1600; ++i)
    rig.queue(Port::Note, {0x99, 0x24, 0x64});
  const double cpuStart = secondsOn(CLOCK_THREAD_CPUTIME_ID);
  callback();
  const double cpu = secondsOn(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
  std::printf("1600 note-ons in one callback: %.0f us of CPU\n", cpu * 1e6);
  if (kTimed) {
    EXPECT_LT(cpu, 64 / 44100.0) << "CPU time of the callback against its period";
  }
  EXPECT_TRUE(rig.data.messageQueue.empty());
  EXPECT_TRUE(rig.midiOut.messages().empty()) << "nothing reached the MIDI library meanwhile";
  EXPECT_EQ(rig.texts(4), std::vector<std::string>(1600, "4,0:*")) << "all 1600 marks, in order";
}

TEST_F(AudioThread, ConsoleOnAStalledPipeDropsLinesCountsThemAndReportsOnceItDrains) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  // One page: the printer stalls after a few hundred lines, long before its ring is full, so
  // every line is dropped while it stalls and the count follows the drain.
  ASSERT_GT(fcntl(ends[1], F_SETPIPE_SZ, 4096), 0);
  FILE* pipeOut = fdopen(ends[1], "w");
  rig.console.start(pipeOut); // nobody reads until the end
  const int kEvents = 30000;
  double slowest = 0;
  for (int sent = 0; sent < kEvents; sent += 100) {
    for (int i = 0; i < 100; ++i)
      control(16, (sent + i) % 128); // a slider: a console line and no edit
    slowest = std::max(slowest, callback());
  }
  std::printf("slowest callback while the console pipe stalled: %.0f us\n", slowest * 1e6);
  if (kTimed) {
    EXPECT_LT(slowest, 0.010) << "every callback returns within 10 ms";
  }
  EXPECT_GT(rig.console.dropped(), 0u);

  std::string printed;
  std::thread reader([&] {
    char chunk[4096];
    ssize_t got;
    while ((got = read(ends[0], chunk, sizeof chunk)) > 0)
      printed.append(chunk, static_cast<size_t>(got));
  });
  rig.console.stop();
  std::fclose(pipeOut);
  reader.join();
  close(ends[0]);

  // Each report counts the lines dropped since the one before; the last comes after the drain.
  const std::string reportText = " console lines dropped: the output could not keep up";
  size_t lines = 0, droppedReported = 0, at = 0;
  std::string line;
  for (size_t end; (end = printed.find('\n', at)) != std::string::npos; at = end + 1) {
    line = printed.substr(at, end - at);
    if (line.compare(0, 9, "tambrel: ") == 0 && line.find(reportText) != std::string::npos)
      droppedReported += std::stoul(line.substr(9));
    else
      ++lines;
  }
  EXPECT_EQ(droppedReported, rig.console.dropped());
  EXPECT_NE(line.find(reportText), std::string::npos) << "the count comes once the pipe drains";
  EXPECT_EQ(lines + droppedReported, static_cast<size_t>(kEvents))
      << "every line is printed or counted";
  EXPECT_EQ(printed.compare(0, 10, "16 0\n16 1\n"), 0) << "in order";
}

TEST_F(AudioThread, SavesOnAStalledDiskDoNotHoldItUpAndTheNewestContentLands) {
  std::atomic<bool> diskStalled{true};
  rig.files.beforeEach = [&](const stk::FileRequest&) {
    while (diskStalled)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  };
  rig.files.start();
  rig.logic->assign(0, 2, 10);
  double slowest = 0;
  for (int turn = 0; turn < 200; ++turn) { // encoder 0 up, then Save: 200 saves
    control(0, 65);
    control(76, 1);
    control(76, 0);
    slowest = std::max(slowest, callback());
  }
  callbackUntilApplied();
  std::printf("slowest callback while the disk stalled: %.0f us\n", slowest * 1e6);
  if (kTimed) {
    EXPECT_LT(slowest, 0.010) << "no callback waited for the disk";
  }
  EXPECT_EQ(rig.files.savesPosted(), 200u);
  const std::vector<unsigned char> newest = savedSoundset();
  EXPECT_TRUE(fileBytes("soundset  1.dat").empty()) << "the disk is still stalled";

  // Saves of two more soundsets wait behind the stall, then the program ends: none is lost.
  for (int number : {2, 3}) {
    control(90, 1), control(90, 0), control(76, 1), control(76, 0);
    callbackUntilApplied();
    (void)number;
  }
  diskStalled = false;
  rig.files.stop();
  EXPECT_EQ(fileBytes("soundset  1.dat"), newest);
  EXPECT_EQ(fileBytes("soundset  2.dat"), newest);
  EXPECT_EQ(fileBytes("soundset  3.dat"), newest);
}

TEST_F(AudioThread, LoadAndPasteSeeWhatWasSavedAndCopiedJustBeforeInTheSameCallback) {
  rig.files.start();
  rig.logic->assign(0, 1, 4);
  control(0, 70); // drum 1 "NFrq" to 6/128
  control(76, 1), control(76, 0);
  const double saved = 6 / 128.0;
  control(0, 70); // 12/128, not saved
  control(75, 1), control(75, 0);
  control(86, 1), control(41, 1), control(41, 0), control(86, 0); // Copy drum 1
  control(87, 1), control(43, 1), control(43, 0), control(87, 0); // Paste into drum 3
  control(0, 65); // after the Paste: drum 1 "NFrq" one step up from the loaded value
  callbackUntilApplied();
  EXPECT_EQ(rig.kit->getParam(3, 4), saved) << "the Load saw the save, the Paste the copy";
  for (int param = 0; param < 21; ++param)
    EXPECT_EQ(rig.kit->getParam(3, param), param == 4 ? saved : rig.reference->getParam(1, param));
  EXPECT_EQ(rig.kit->getParam(1, 4), 13 / 128.0) << "the slot steps on after the Paste, in order";
}

} // namespace
