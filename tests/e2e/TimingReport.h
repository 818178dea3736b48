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
  };
  struct Slow {
    std::int64_t startNs = 0;
    std::int64_t durationNs = 0;
    std::string kind;
  };
  std::vector<Kind> kinds; // render, events, save
  std::vector<Slow> slow;  // callbacks longer than their period

  // False when the file is missing or holds no kind lines.
  bool read(const std::string& path);
  const Kind* kind(const std::string& name) const;

  // The kind of the slow callback that an xrun at xrunNs follows within `windowNs` after the
  // callback's end, or "" when none does (the xrun is then the host's or another client's).
  std::string blame(std::int64_t xrunNs, std::int64_t windowNs) const;
  // One line per kind: count, mean and worst in microseconds, callbacks over the period.
  std::string summary() const;
};

#endif
