// Reading the runner's timing file and blaming xruns on slow callbacks.
#include "TimingReport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

bool TimingReport::read(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "kind") {
      Kind kind;
      fields >> kind.name >> kind.count >> kind.meanNs >> kind.maxNs >> kind.overPeriod >>
          kind.maxCpuNs;
      kinds.push_back(kind);
    } else if (tag == "slow") {
      Slow entry;
      fields >> entry.startNs >> entry.durationNs >> entry.cpuNs >> entry.kind >> entry.preemptions;
      slow.push_back(entry);
    }
  }
  return !kinds.empty();
}

const TimingReport::Kind* TimingReport::kind(const std::string& name) const {
  for (const Kind& k : kinds)
    if (k.name == name) return &k;
  return nullptr;
}

std::string TimingReport::blame(std::int64_t xrunNs, std::int64_t windowNs,
                                std::int64_t periodNs) const {
  std::string answer;
  for (const Slow& entry : slow) {
    if (xrunNs < entry.startNs || xrunNs > entry.startNs + entry.durationNs + windowNs) continue;
    if (entry.preemptions == 0 && 2 * entry.cpuNs > periodNs) return entry.kind;
    answer = "preempted";
  }
  return answer;
}

std::string TimingReport::summary() const {
  std::string text;
  for (const Kind& k : kinds) {
    char line[200];
    std::snprintf(line, sizeof line,
                  "  %-6s callbacks %8llu  mean %8.1f us  worst %9.1f us (CPU %8.1f us)  "
                  "over period %llu\n",
                  k.name.c_str(), (unsigned long long)k.count, k.meanNs / 1000.0,
                  double(k.maxNs) / 1000.0, double(k.maxCpuNs) / 1000.0,
                  (unsigned long long)k.overPeriod);
    text += line;
  }
  return text;
}
