// Callback timing: a timed call of the callback, classified by what it did.
#include "CallbackTimer.h"

#include "FileWorker.h"
#include "tambrel.h"

#include <sys/resource.h>
#include <time.h>

#include <cstdio>

namespace {
std::int64_t clockNs(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

const char* kKindNames[] = {"render", "events", "save"};
} // namespace

CallbackTimer& CallbackTimer::instance() {
  static CallbackTimer timer;
  return timer;
}

int CallbackTimer::timedTick(void* outputBuffer, void* inputBuffer, unsigned int nFrames,
                             double streamTime, unsigned int status, void* userData) {
  struct Call {
    void* outputBuffer;
    void* inputBuffer;
    double streamTime;
    unsigned int status;
    void* userData;
  } call{outputBuffer, inputBuffer, streamTime, status, userData};
  return timedProcess(
      [](std::uint32_t frames, void* arg) {
        Call& c = *static_cast<Call*>(arg);
        return tick(c.outputBuffer, c.inputBuffer, frames, c.streamTime, c.status, c.userData);
      },
      nFrames, &call, static_cast<TickData*>(userData));
}

int CallbackTimer::timedProcess(Settings::ProcessCallback process, std::uint32_t frames, void* arg,
                                TickData* data) {
  // The counters belong to this thread: what the callback applied, and whether it saved.
  const std::uint64_t applied = data->messagesApplied;
  const std::uint64_t saves = data->files ? data->files->savesPosted() : 0;

  rusage before, after;
  getrusage(RUSAGE_THREAD, &before);
  const std::int64_t start = clockNs(CLOCK_MONOTONIC);
  const std::int64_t cpuStart = clockNs(CLOCK_THREAD_CPUTIME_ID);
  const int result = process(frames, arg);
  const std::int64_t cpu = clockNs(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
  getrusage(RUSAGE_THREAD, &after);
  Kind kind = data->messagesApplied != applied ? kEvents : kRender;
  if (data->files && data->files->savesPosted() != saves) kind = kSave;
  instance().record(kind, start, clockNs(CLOCK_MONOTONIC) - start, cpu,
                    after.ru_nivcsw - before.ru_nivcsw, frames);
  return result;
}

void CallbackTimer::record(Kind kind, std::int64_t startNs, std::int64_t durationNs,
                           std::int64_t cpuNs, long preemptions, unsigned int frames) {
  Totals& totals = totals_[kind];
  ++totals.count;
  totals.sumNs += double(durationNs);
  if (durationNs > totals.maxNs) totals.maxNs = durationNs;
  if (cpuNs > totals.maxCpuNs) totals.maxCpuNs = cpuNs;
  // The period in ns at 44100 Hz: a callback longer than that makes the server late.
  const std::int64_t periodNs = std::int64_t(frames) * 1000000000 / 44100;
  if (durationNs > periodNs) {
    ++totals.overPeriod;
    if (slowCount_ < kMaxSlow)
      slow_[slowCount_++] = Slow{startNs, durationNs, cpuNs, int(kind), preemptions};
  }
}

void CallbackTimer::write(const std::string& path) const {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) return;
  for (int kind = 0; kind < kKinds; ++kind) {
    const Totals& totals = totals_[kind];
    std::fprintf(out, "kind %s %llu %.0f %lld %llu %lld\n", kKindNames[kind],
                 (unsigned long long)totals.count,
                 totals.count ? totals.sumNs / double(totals.count) : 0.0, (long long)totals.maxNs,
                 (unsigned long long)totals.overPeriod, (long long)totals.maxCpuNs);
  }
  for (int i = 0; i < slowCount_; ++i)
    std::fprintf(out, "slow %lld %lld %lld %s %ld\n", (long long)slow_[i].startNs,
                 (long long)slow_[i].durationNs, (long long)slow_[i].cpuNs,
                 kKindNames[slow_[i].kind], slow_[i].preemptions);
  std::fclose(out);
}
