// Times the program's audio callback, split by what the callback had to do: only render,
// apply queued events, or hand a save to the file thread.
#ifndef TAMBREL_TESTS_E2E_CALLBACKTIMER_H
#define TAMBREL_TESTS_E2E_CALLBACKTIMER_H

#include <cstdint>
#include <string>

#include "Settings.h"

class CallbackTimer {
public:
  enum Kind { kRender = 0, kEvents = 1, kSave = 2, kKinds = 3 };

  static CallbackTimer& instance();
  // The program's callback wrapped in a timer; same signature as the audio library's callback.
  static int timedTick(void* outputBuffer, void* inputBuffer, unsigned int nFrames,
                       double streamTime, unsigned int status, void* userData);

  // The one JACK client's process callback wrapped in the same timer (Settings::processWrapper).
  static int timedProcess(Settings::ProcessCallback process, std::uint32_t frames, void* arg,
                          TickData* data);
  // Writes one "kind" line per kind and one "slow" line per callback longer than its period:
  //   kind NAME COUNT MEAN_NS MAX_NS OVER_PERIOD MAX_CPU_NS
  //   slow START_NS DURATION_NS CPU_NS NAME PREEMPTIONS
  // CPU time is the audio thread's own; wall time beyond it was spent waiting or preempted.
  // PREEMPTIONS counts the times the scheduler took the processor away during the callback: on
  // a virtual machine the thread's CPU clock also runs while the host runs something else, and
  // the guest's scheduler then preempts the thread for the time it seems to have used.
  void write(const std::string& path) const;

private:
  void record(Kind kind, std::int64_t startNs, std::int64_t durationNs, std::int64_t cpuNs,
              long preemptions, unsigned int frames);

  struct Totals {
    std::uint64_t count = 0;
    std::uint64_t overPeriod = 0;
    double sumNs = 0;
    std::int64_t maxNs = 0;
    std::int64_t maxCpuNs = 0;
  };
  struct Slow {
    std::int64_t startNs; // CLOCK_MONOTONIC
    std::int64_t durationNs;
    std::int64_t cpuNs;
    int kind;
    long preemptions;
  };
  static constexpr int kMaxSlow = 8192;
  Totals totals_[kKinds];
  Slow slow_[kMaxSlow];
  int slowCount_ = 0;
};

#endif
