// The channel messages of a MIDI file in playing order, each at an exact time.
#ifndef TAMBREL_MIDISONG_H
#define TAMBREL_MIDISONG_H

#include <cstdint>
#include <vector>

// One channel message (status 0x80 .. 0xEF, data bytes 0 .. 127; data2 is 0 for the one-byte
// messages) at `time` units from the start of the song.
struct TimedMessage {
  uint64_t time;
  uint8_t status;
  uint8_t data1;
  uint8_t data2;
};

struct MidiSong {
  // Time units per second: times are exact, so that frames are rounded from exact values.
  uint64_t unitsPerSecond = 1;
  std::vector<TimedMessage> messages; // by time; at one time in the order they are played

  // The frame at 'time' for a sample rate in Hz: round(time / unitsPerSecond * rate), halves
  // rounded up, exactly.
  uint64_t frameAt(uint64_t time, uint64_t rate) const {
    const unsigned __int128 twice = static_cast<unsigned __int128>(time) * rate * 2;
    return static_cast<uint64_t>((twice + unitsPerSecond) / (2 * unitsPerSecond));
  }

  double seconds(uint64_t time) const { return static_cast<double>(time) / unitsPerSecond; }
};

#endif
