// Reports from the main thread what the audio thread can only count.
#ifndef TAMBREL_RUNREPORTER_H
#define TAMBREL_RUNREPORTER_H

#include <cstdint>

struct TickData;
namespace stk {
class DisplayOutbox;
}

// Called every few hundred milliseconds while the stream runs: prints on standard error how many
// MIDI messages the full queue and display messages the full outbox dropped since the last
// call, and once whether the audio thread got real-time scheduling.
class RunReporter {
public:
  RunReporter(const TickData& data, const stk::DisplayOutbox& outbox);
  void report();

private:
  static void reportNew(const char* what, uint64_t count, uint64_t& reported);

  const TickData& data_;
  const stk::DisplayOutbox& outbox_;
  uint64_t messagesDropped_ = 0, displayDropped_ = 0;
  bool schedulingChecked_ = false;
};

#endif
