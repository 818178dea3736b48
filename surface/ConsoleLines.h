// Console lines from the audio thread: queued without waiting, printed by a thread of their own.
#ifndef TAMBREL_CONSOLELINES_H
#define TAMBREL_CONSOLELINES_H

#include "SpscRing.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>

namespace stk {

class ConsoleLines {
public:
  static constexpr size_t kLineLength = 64; // bytes, a longer line is cut
  static constexpr size_t kCapacity = 4096; // lines

  ConsoleLines() = default;
  ~ConsoleLines();
  ConsoleLines(const ConsoleLines&) = delete;
  ConsoleLines& operator=(const ConsoleLines&) = delete;

  // One producer thread: formats one line and queues it. Never blocks; when the ring is full
  // (the terminal or pipe has stalled) the line is counted as dropped.
  void print(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Consumer side: writes every queued line to `out` in order, then, if lines were dropped, one
  // line with their number. False when there was nothing to write.
  bool drainTo(FILE* out);

  // A printer thread that drains to `out` until stop(), which prints everything still queued.
  void start(FILE* out);
  void stop();

  uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
  struct Line {
    unsigned short length;
    char text[kLineLength];
  };
  SpscRing<Line, kCapacity> lines_;
  std::atomic<uint64_t> dropped_{0};
  uint64_t reported_ = 0; // dropped lines already announced (consumer side)
  std::atomic<bool> stopping_{false};
  std::thread printer_;
};

} // namespace stk

#endif
