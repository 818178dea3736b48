// Live timing end to end on the audio library's path: the audio callback runs on a private JACK
// server while this test calls the note port's callback at CLOCK_MONOTONIC times it knows. Each
// note must sound one period after the time it was handed over, to the frame (or, when the
// callback that plays it starts late or after a jump, at that callback's start).
#include "AudioOutput.h"
#include "LiveTiming.h"
#include "ZorvDrumKit.h"
#include "support/JackServer.h"
#include "tambrel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <random>
#include <thread>

namespace {

constexpr int kRate = 44100;
constexpr int kPeriod = 256;

// What the wrapped callback saw: the first sound after each silence, on the timing's clock.
std::atomic<int64_t> soundStartNs{-1};
std::atomic<int64_t> lastSoundNs{-1};
std::atomic<int64_t> callbackNs{-1};
// The start of the callback in which the latest sound began, and whether it applied at once.
std::atomic<int64_t> soundCallbackNs{-1};
std::atomic<bool> soundAtOnce{false};

// tick, then a look at what it rendered: every frame placed at T + frame / rate.
int observedTick(void* out, void* in, unsigned int frames, double time, unsigned int status,
                 void* user) {
  const int result = tick(out, in, frames, time, status, user);
  const TickData* data = static_cast<const TickData*>(user);
  const int64_t start = data->timing.callbackStart();
  const double* samples = static_cast<const double*>(out);
  for (unsigned int i = 0; i < frames; i++) {
    if (samples[2 * i] == 0.0) continue;
    const int64_t at = start + int64_t(i) * 1000000000 / kRate;
    if (lastSoundNs.load() < 0 || at - lastSoundNs.load() > 5000000) {
      soundCallbackNs = start;
      soundAtOnce = data->timing.appliesAtOnce();
      soundStartNs = at;
    }
    lastSoundNs = at;
  }
  callbackNs = start;
  return result;
}

bool waitFor(double seconds, const std::function<bool()>& condition) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

TEST(LiveTimingOnJack, NotesSoundOnePeriodAfterTheyArrive) {
  JackServer server(kPeriod, kRate);
  ASSERT_TRUE(server.start());
  server.makeDefault();
  Settings settings;
  settings.audioApi = RtAudio::UNIX_JACK;
  settings.bufferFrames = kPeriod;
  AudioOutput audio(settings);
  ASSERT_TRUE(audio.prepare(std::cerr));

  stk::Stk::setSampleRate(kRate);
  TickData data;
  stk::ZorvDrumKit kit;
  for (int decay : {2, 8, 16}) // drum 0 falls silent soon after each note
    kit.setParam(0, decay, 1.0);
  data.kit = &kit;
  data.midiChannel = 9;
  data.outputEnabled = true;
  data.timing.useClock(&LiveTiming::monotonicNow);
  const unsigned int period = audio.open(observedTick, &data, 2);
  ASSERT_EQ(period, unsigned(kPeriod));
  data.timing.setPeriod(kRate, period);
  audio.dac().startStream();

  const int64_t periodNs = int64_t(kPeriod) * 1000000000 / kRate;
  const int64_t frameNs = 1000000000 / kRate;
  std::mt19937 random(19);
  std::vector<int64_t> lateness; // ns after one period
  std::vector<unsigned char> noteOn = {0x99, 0x24, 0x64}, noteOff = {0x89, 0x24, 0x00};
  for (int note = 0; note < 40; note++) {
    ASSERT_TRUE(waitFor(5, [] {
      return lastSoundNs.load() < 0 || callbackNs.load() - lastSoundNs.load() > 20000000;
    }));
    // Somewhere within a period, as a player's notes fall.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (periodNs / 1000)));
    const int64_t before = LiveTiming::monotonicNow();
    notePortMidiCallback(0.0, &noteOn, &data);
    const int64_t after = LiveTiming::monotonicNow();
    ASSERT_TRUE(waitFor(2, [before] { return soundStartNs.load() > before; }));
    notePortMidiCallback(0.0, &noteOff, &data);
    // The stamp lies between the two readings: the sound is due one period after it, unless
    // the callback that plays it starts later than that (a loaded machine) or applies at once.
    const int64_t due = (before + after) / 2 + periodNs;
    const int64_t callback = soundCallbackNs.load();
    const bool placed = !soundAtOnce.load() && callback <= due;
    const int64_t expected = placed ? due : callback;
    if (placed)
      lateness.push_back(soundStartNs.load() - expected);
    else
      EXPECT_LE(std::abs(soundStartNs.load() - expected), frameNs) << "note " << note;
  }
  done = true;
  audio.dac().closeStream();
  done = false;

  // Most callbacks start on time even on a loaded machine.
  ASSERT_GE(lateness.size(), 10u) << "too few notes placed on a frame";
  std::sort(lateness.begin(), lateness.end());
  std::printf("live timing, period %d: onset minus (arrival + one period) over %zu of 40 notes: "
              "median %lld ns, min %lld ns, max %lld ns (a frame is %lld ns)\n",
              kPeriod, lateness.size(), (long long)lateness[lateness.size() / 2],
              (long long)lateness.front(), (long long)lateness.back(), (long long)frameNs);
  // Rounded to the nearest frame, and the stamp read within microseconds of the test's.
  const int64_t tolerance = frameNs + 50000;
  EXPECT_LE(lateness.back(), tolerance);
  EXPECT_GE(lateness.front(), -tolerance);
}

} // namespace
