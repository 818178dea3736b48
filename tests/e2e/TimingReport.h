// The runner's callback timings read back, and the server's xruns set against them.
#ifndef TAMBREL_TESTS_E2E_TIMINGREPORT_H
#define TAMBREL_TESTS_E2E_TIMINGREPORT_H

#include <cstdint>
#include <string>
#include <vector>

struct TimingReport {
  struct Kind {
    std::string name;
    std::uint64_t count = 0;
    double meanNs = 0;
    std::int64_t maxNs = 0;
    std::uint64_t overPeriod = 0;
    std::int64_t maxCpuNs = 0;
  };
  struct Slow {
    std::int64_t startNs = 0;
    std::int64_t durationNs = 0;
    std::int64_t cpuNs = 0;
    std::string kind;
    long preemptions = 0; // times the scheduler took the processor away during the callback
  };
  std::vector<Kind> kinds; // render, events, save
  std::vector<Slow> slow;  // callbacks longer than their period

  // False when the file is missing or holds no kind lines.
  bool read(const std::string& path);
  const Kind* kind(const std::string& name) const;

  // Who an xrun at xrunNs is put down to. A callback longer than its period that ended less
  // than windowNs before the xrun is the program's doing when its own CPU time took more than
  // half the period, which the rest of the graph shares, and the scheduler never took the
  // processor away from it: the answer is then its kind ("render", "events", "save"). A slow
  // callback that was preempted, or spent its time waiting for the processor, gives
  // "preempted"; no slow callback at all gives "" (the host or another client). The callback
  // does no file work, so a save is judged like any other callback.
  std::string blame(std::int64_t xrunNs, std::int64_t windowNs, std::int64_t periodNs) const;
  // One line per kind: count, mean and worst wall time and worst CPU time in microseconds,
  // callbacks over the period.
  std::string summary() const;
};

#endif
