// Live timing of MIDI messages on the paths where the MIDI arrives on a thread of its own: each
// message is stamped on arrival, and applied one period later on the frame of its stamp.
#ifndef TAMBREL_LIVETIMING_H
#define TAMBREL_LIVETIMING_H

#include <cstdint>

class LiveTiming {
public:
  // A clock in nanoseconds; the live program's is CLOCK_MONOTONIC, tests give their own.
  using Clock = int64_t (*)();
  static int64_t monotonicNow();

  // Off until both are given: every message then applies at once, as messages without a stamp
  // do. The clock first, before any MIDI thread runs; the period (sampleRate in Hz,
  // periodFrames as the device chose) before the first audio callback.
  void useClock(Clock clock) { clock_ = clock; }
  void setPeriod(double sampleRate, unsigned int periodFrames);

  // A message's stamp (ns), on its MIDI thread; 0 (no stamp) while not started.
  int64_t stamp() const { return clock_ ? clock_() : 0; }

  // At the start of each audio callback of `frames` frames; underflow: the device reported an
  // xrun. When the callback's start jumps from where the last callback's frames end (by more
  // than a period either way), or after an xrun, this callback applies every message at once.
  void beginCallback(unsigned int frames, bool underflow);

  // The frame of this callback before which a message stamped t applies:
  // round((t + P - T) * rate) for a callback that started at T, P being one period; 0 when that
  // is negative, for a message without a stamp, or when this callback applies at once. A result
  // of `frames` or more means a later callback.
  // True when this callback applies every message at once (after a jump or an xrun).
  bool appliesAtOnce() const { return atOnce_; }
  // T of the current callback (ns), for a caller that places frames on the clock.
  int64_t callbackStart() const { return callbackStart_; }

  int64_t frameFor(int64_t stamp) const {
    if (stamp == 0 || atOnce_ || rateHz_ == 0) return 0;
    const int64_t ahead = stamp + periodNs_ - callbackStart_; // ns
    if (ahead <= 0) return 0;
    return (ahead * rateHz_ + 500000000) / 1000000000; // rounded to the nearest frame
  }

private:
  Clock clock_ = nullptr;
  int64_t rateHz_ = 0;
  int64_t periodNs_ = 0;
  int64_t callbackStart_ = 0;  // T of this callback (ns)
  int64_t expectedStart_ = -1; // where the last callback's frames end (ns); -1: none yet
  bool atOnce_ = false;
};

#endif
