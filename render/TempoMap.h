// Ticks to exact times: the piecewise-linear map that a song's tempo changes make.
#ifndef TAMBREL_TEMPOMAP_H
#define TAMBREL_TEMPOMAP_H

#include <cstdint>
#include <vector>

class TempoMap {
public:
  // Ticks per quarter note; 500000 us per quarter (120 BPM) until the first change. One unit of
  // time is 1 / (ticksPerQuarter * 1000000) s, so a tick lasts "us per quarter" units.
  static TempoMap metrical(uint32_t ticksPerQuarter);
  // SMPTE frames per second (24, 25, 29 for 30 drop-frame, i.e. 29.97, or 30) and ticks per
  // frame; the tempo changes nothing.
  static TempoMap smpte(uint32_t framesPerSecond, uint32_t ticksPerFrame);

  uint64_t unitsPerSecond() const { return unitsPerSecond_; }

  // A tempo change in us per quarter note at `tick`; changes come in tick order, and of two at
  // one tick the later one holds. Ignored for SMPTE time.
  void addTempo(uint64_t tick, uint32_t microsPerQuarter);

  // The time of a tick in units (see unitsPerSecond).
  uint64_t timeAt(uint64_t tick) const;

private:
  struct Segment {
    uint64_t tick;
    uint64_t time;
    uint64_t unitsPerTick;
  };

  TempoMap(uint64_t unitsPerSecond, uint64_t unitsPerTick, bool followsTempo);

  uint64_t unitsPerSecond_;
  bool followsTempo_;
  std::vector<Segment> segments_; // by tick, the first at tick 0
};

#endif
