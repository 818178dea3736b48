// The clock, the period and the jump check at each callback's start.
#include "LiveTiming.h"

#include <time.h>

int64_t LiveTiming::monotonicNow() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

void LiveTiming::setPeriod(double sampleRate, unsigned int periodFrames) {
  rateHz_ = static_cast<int64_t>(sampleRate + 0.5);
  periodNs_ = int64_t(periodFrames) * 1000000000 / rateHz_;
  expectedStart_ = -1;
}

void LiveTiming::beginCallback(unsigned int frames, bool underflow) {
  if (!clock_ || rateHz_ == 0) return;
  callbackStart_ = clock_();
  const int64_t drift = callbackStart_ - expectedStart_;
  atOnce_ = underflow || expectedStart_ < 0 || drift > periodNs_ || drift < -periodNs_;
  expectedStart_ = callbackStart_ + int64_t(frames) * 1000000000 / rateHz_;
}
