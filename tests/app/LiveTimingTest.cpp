// Live timing with a clock the test sets: a message stamped t applies in the callback that
// started at T on frame round((t + P - T) * rate), P being one period; at once after a jump of
// the callbacks' starts or an xrun.
#include "LiveTiming.h"
#include "AppRig.h"

#include <gtest/gtest.h>

namespace {

int64_t fakeNs = 0; // what the fake clock reads
int64_t fakeClock() {
  return fakeNs;
}

constexpr int64_t kSecond = 1000000000;
// 256 frames at 44.1 kHz: 5,804,988.66 ns, kept in whole ns as the timing keeps it.
constexpr int64_t kPeriodNs = 5804988;
constexpr int64_t kStart = 1000 * kSecond;

class Timing : public ::testing::Test {
protected:
  void SetUp() override {
    timing.useClock(&fakeClock);
    timing.setPeriod(44100, 256);
    // The first callback applies everything at once; from the second on, messages are placed.
    callbackAt(kStart - kPeriodNs);
    callbackAt(kStart);
  }
  void callbackAt(int64_t start, bool underflow = false) {
    fakeNs = start;
    timing.beginCallback(256, underflow);
  }
  LiveTiming timing;
};

TEST_F(Timing, AMessageLandsOnePeriodAfterItsArrival) {
  EXPECT_EQ(timing.frameFor(kStart - kPeriodNs), 0);       // arrived one period before T
  EXPECT_EQ(timing.frameFor(kStart - kPeriodNs / 2), 128); // half a period later
  // 1 ms before T: (5,804,988 - 1,000,000) ns * 44,100 Hz = 211.90 frames.
  EXPECT_EQ(timing.frameFor(kStart - 1000000), 212);
  // 2,267,574 ns is 100.000 frames; 11,338 ns is half a frame (0.50001).
  EXPECT_EQ(timing.frameFor(kStart - kPeriodNs + 2267574), 100);
  EXPECT_EQ(timing.frameFor(kStart - kPeriodNs + 11338), 1);
  EXPECT_EQ(timing.frameFor(kStart - kPeriodNs + 11337), 0);
  // Arrived during the callback itself: a later callback (256 or more).
  EXPECT_GE(timing.frameFor(kStart), 256);
  EXPECT_GE(timing.frameFor(kStart + 1000000), 256);
}

TEST_F(Timing, LateMessagesAndMessagesWithoutAStampApplyAtOnce) {
  EXPECT_EQ(timing.frameFor(kStart - 2 * kPeriodNs), 0);
  EXPECT_EQ(timing.frameFor(kStart - 10 * kSecond), 0);
  EXPECT_EQ(timing.frameFor(0), 0);
}

TEST_F(Timing, AJumpOrAnXrunAppliesEverythingAtOnceForOneCallback) {
  const int64_t halfPeriod = kPeriodNs / 2;
  // Callbacks that start up to a period early or late are the device's own jitter.
  callbackAt(kStart + kPeriodNs + kPeriodNs / 2);
  EXPECT_EQ(timing.frameFor(kStart + kPeriodNs), 128);
  // Three periods late: a jump.
  callbackAt(kStart + 5 * kPeriodNs);
  EXPECT_EQ(timing.frameFor(kStart + 5 * kPeriodNs - halfPeriod), 0);
  callbackAt(kStart + 6 * kPeriodNs);
  EXPECT_EQ(timing.frameFor(kStart + 6 * kPeriodNs - halfPeriod), 128);
  // Backwards: a jump too.
  callbackAt(kStart);
  EXPECT_EQ(timing.frameFor(kStart - halfPeriod), 0);
  callbackAt(kStart + kPeriodNs);
  EXPECT_EQ(timing.frameFor(kStart + kPeriodNs - halfPeriod), 128);
  // An xrun the device reports.
  callbackAt(kStart + 2 * kPeriodNs, true);
  EXPECT_EQ(timing.frameFor(kStart + 2 * kPeriodNs - halfPeriod), 0);
}

TEST(TimingOff, WithoutAClockOrAPeriodEveryMessageAppliesAtOnce) {
  LiveTiming timing;
  EXPECT_EQ(timing.stamp(), 0);
  timing.beginCallback(256, false);
  EXPECT_EQ(timing.frameFor(kStart), 0);
  timing.useClock(&fakeClock);
  fakeNs = kStart;
  timing.beginCallback(256, false);
  EXPECT_EQ(timing.frameFor(kStart - 1000000), 0);
}

// Through the audio callback: a note stamped 100 frames into the previous period sounds from
// frame 100 of the next callback, as the reference kit struck after 100 frames.
TEST(TimedTick, ANoteStampedMidPeriodSoundsOnItsFrameOneCallbackLater) {
  AppRig rig;
  rig.data.timing.useClock(&fakeClock);
  rig.data.timing.setPeriod(44100, 256);
  std::vector<double> buffer(2 * 256);
  fakeNs = kStart - kPeriodNs;
  ASSERT_EQ(tick(buffer.data(), nullptr, 256, 0.0, 0, &rig.data), 0);
  fakeNs = kStart - kPeriodNs + 2267574; // 100 frames into that callback's period
  rig.queue(Port::Note, {0x99, 0x24, 0x64});
  fakeNs = kStart;
  ASSERT_EQ(tick(buffer.data(), nullptr, 256, 0.0, 0, &rig.data), 0);
  for (int i = 0; i < 256; i++) {
    if (i == 100) rig.reference->noteOn(36, 0.78125);
    const double expected = rig.reference->tick();
    ASSERT_EQ(buffer[size_t(2 * i)], expected) << "frame " << i;
  }
  EXPECT_NE(buffer[2 * 200], 0.0);
}

// A note that arrives during a callback waits for the next one and sounds on its frame there.
TEST(TimedTick, ANoteDueAfterTheBufferEndWaitsForTheNextCallback) {
  AppRig rig;
  rig.data.timing.useClock(&fakeClock);
  rig.data.timing.setPeriod(44100, 256);
  std::vector<double> buffer(2 * 256);
  fakeNs = kStart - kPeriodNs;
  ASSERT_EQ(tick(buffer.data(), nullptr, 256, 0.0, 0, &rig.data), 0);
  fakeNs = kStart + 2267574; // arrives 100 frames after the next callback starts
  rig.queue(Port::Note, {0x99, 0x24, 0x64});
  fakeNs = kStart;
  ASSERT_EQ(tick(buffer.data(), nullptr, 256, 0.0, 0, &rig.data), 0);
  for (int i = 0; i < 256; i++)
    ASSERT_EQ(buffer[size_t(2 * i)], rig.reference->tick()) << "frame " << i;
  fakeNs = kStart + kPeriodNs;
  ASSERT_EQ(tick(buffer.data(), nullptr, 256, 0.0, 0, &rig.data), 0);
  for (int i = 0; i < 256; i++) {
    if (i == 100) rig.reference->noteOn(36, 0.78125);
    ASSERT_EQ(buffer[size_t(2 * i)], rig.reference->tick()) << "frame " << i;
  }
}

} // namespace
