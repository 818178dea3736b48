// Standard MIDI File reader: formats 0, 1 and 2, metrical and SMPTE time, the tempo map.
#ifndef TAMBREL_MIDIFILEREADER_H
#define TAMBREL_MIDIFILEREADER_H

#include "MidiSong.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

// Formats 0 and 1: the tracks play together, merged by absolute tick, under one tempo map made
// of the tempo changes of every track. Format 2: each track plays after the previous one has
// ended (at its End of Track), under its own tempo changes. Running status carries across meta
// and SysEx events, as many drum files need. Chunks other than tracks are skipped.
class MidiFileReader {
public:
  // What is wrong with the bytes, in one line without the file's name.
  class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
  };

  // Songs ending beyond this many ticks are refused: their times would leave 64 bits.
  static constexpr uint64_t kMaxTicks = 0xFFFFFFFF;

  static MidiSong parse(const uint8_t* bytes, size_t size);
};

#endif
