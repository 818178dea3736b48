// Dropped-message counts and the audio thread's scheduling, reported on standard error.
#include "RunReporter.h"

#include "DisplayOutbox.h"
#include "tambrel.h"

#include <pthread.h>
#include <sched.h>

#include <iostream>

RunReporter::RunReporter(const TickData& data, const stk::DisplayOutbox& outbox)
    : data_(data), outbox_(outbox) {}

void RunReporter::report() {
  reportNew("MIDI messages dropped: the queue was full", data_.messagesDropped.load(),
            messagesDropped_);
  reportNew("display messages dropped: the controller could not keep up", outbox_.dropped(),
            displayDropped_);
  if (!schedulingChecked_ && data_.audioThreadKnown.load(std::memory_order_acquire)) {
    schedulingChecked_ = true;
    int policy = SCHED_OTHER;
    sched_param parameters;
    if (pthread_getschedparam(data_.audioThread, &policy, &parameters) == 0 &&
        policy != SCHED_FIFO && policy != SCHED_RR)
      std::cerr << "tambrel: the audio thread runs without real-time scheduling (not permitted "
                   "here); it may glitch under load\n";
  }
}

void RunReporter::reportNew(const char* what, uint64_t count, uint64_t& reported) {
  if (count == reported) return;
  std::cerr << "tambrel: " << count - reported << " " << what << "\n";
  reported = count;
}
