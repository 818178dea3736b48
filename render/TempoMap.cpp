// Tick-to-time map: segments of constant tempo, each starting where a change was made.
#include "TempoMap.h"

#include <algorithm>

namespace {

const uint64_t kDefaultMicrosPerQuarter = 500000; // 120 BPM

} // namespace

TempoMap::TempoMap(uint64_t unitsPerSecond, uint64_t unitsPerTick, bool followsTempo)
    : unitsPerSecond_(unitsPerSecond), followsTempo_(followsTempo) {
  segments_.push_back({0, 0, unitsPerTick});
}

TempoMap TempoMap::metrical(uint32_t ticksPerQuarter) {
  return TempoMap(uint64_t{ticksPerQuarter} * 1000000, kDefaultMicrosPerQuarter, true);
}

TempoMap TempoMap::smpte(uint32_t framesPerSecond, uint32_t ticksPerFrame) {
  // 29.97 frames per second: a tick lasts 1001 / (30000 ticksPerFrame) s.
  if (framesPerSecond == 29) return TempoMap(uint64_t{30000} * ticksPerFrame, 1001, false);
  return TempoMap(uint64_t{framesPerSecond} * ticksPerFrame, 1, false);
}

void TempoMap::addTempo(uint64_t tick, uint32_t microsPerQuarter) {
  if (!followsTempo_) return;
  Segment& last = segments_.back();
  if (tick <= last.tick) {
    last.unitsPerTick = microsPerQuarter;
    return;
  }
  segments_.push_back({tick, timeAt(tick), microsPerQuarter});
}

uint64_t TempoMap::timeAt(uint64_t tick) const {
  auto after = std::upper_bound(segments_.begin(), segments_.end(), tick,
                                [](uint64_t t, const Segment& s) { return t < s.tick; });
  const Segment& s = *(after - 1);
  return s.time + (tick - s.tick) * s.unitsPerTick;
}
