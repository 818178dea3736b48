// The built-in groove: the pattern, and the file that plays it.
#include "DemoGroove.h"

#include <algorithm>
#include <string>

namespace {

const int kChannel = 9; // MIDI channel 10

// One bar on a sixteenth grid: the velocity at each step, 0 for none.
struct Lane {
  int note;
  int velocity[16];
};

// Bars 1 and 3 (and 2 and 4, with the changes in fillBar).
const Lane kBar[] = {
    {36, {120, 0, 0, 0, 0, 0, 0, 84, 110, 0, 0, 0, 0, 0, 0, 0}},
    {38, {0, 0, 0, 0, 112, 0, 0, 0, 0, 0, 0, 36, 112, 0, 0, 48}},
    {39, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {42, {100, 0, 56, 0, 96, 0, 56, 0, 100, 0, 56, 0, 96, 0, 0, 0}},
    {46, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 80, 0}},
};

int velocityAt(int bar, int lane, int step) {
  const bool even = bar % 2 == 1;
  if (even && kBar[lane].note == 39 && step == 12) return 90; // clap on the backbeat
  if (even && kBar[lane].note == 36 && step == 10) return 64;
  if (bar == 3 && kBar[lane].note == 38 && step >= 13) return 60 + 20 * (step - 13); // fill
  return kBar[lane].velocity[step];
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<uint8_t>(value >> shift));
}

void putDelta(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[4];
  int n = 0;
  do {
    bytes[n++] = value & 0x7F;
    value >>= 7;
  } while (value);
  while (n > 1)
    out.push_back(bytes[--n] | 0x80);
  out.push_back(bytes[0]);
}

struct Event {
  int tick;
  int order; // releases (0) before the hits (1) of the same tick
  int note;
  int velocity;
};

} // namespace

std::vector<DemoGroove::Hit> DemoGroove::hits() {
  std::vector<Hit> all;
  for (int bar = 0; bar < kBars; ++bar)
    for (int step = 0; step < 16; ++step)
      for (int lane = 0; lane < 5; ++lane)
        if (int v = velocityAt(bar, lane, step))
          all.push_back({16 * bar + step, kBar[lane].note, v});
  return all;
}

std::vector<uint8_t> DemoGroove::midiFile() {
  std::vector<Event> events;
  for (const Hit& h : hits()) {
    const int tick = kLeadInTicks + h.step * kStepTicks;
    events.push_back({tick, 1, h.note, h.velocity});
    events.push_back({tick + kStepTicks, 0, h.note, 0});
  }
  std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.order != b.order ? a.order < b.order : a.note < b.note; // drums in note order
  });

  std::vector<uint8_t> track;
  const std::string name = "tambrel demo";
  track.insert(track.end(), {0x00, 0xFF, 0x03, static_cast<uint8_t>(name.size())});
  track.insert(track.end(), name.begin(), name.end());
  track.insert(track.end(), {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08}); // 4/4
  track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});       // 500000 us
  int now = 0;
  bool statusSent = false;
  for (const Event& e : events) {
    putDelta(track, e.tick - now);
    now = e.tick;
    if (!statusSent) track.push_back(0x90 | kChannel); // then running status throughout
    statusSent = true;
    track.push_back(static_cast<uint8_t>(e.note));
    track.push_back(static_cast<uint8_t>(e.velocity));
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});

  std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0};
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  put32(file, static_cast<uint32_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}
