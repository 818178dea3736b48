// Fuzzes the MIDI-file reader with any bytes: it either refuses them with an error or returns
// channel messages in time order whose frames never go backwards.
#include "MidiFileReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MidiSong song;
  try {
    song = MidiFileReader::parse(data, size);
  } catch (const MidiFileReader::Error&) {
    return 0;
  }
  uint64_t lastTime = 0;
  uint64_t lastFrame = 0;
  for (const TimedMessage& m : song.messages) {
    if (m.status < 0x80 || m.status > 0xEF || m.data1 > 127 || m.data2 > 127) std::abort();
    if (m.time < lastTime) std::abort();
    const uint64_t frame = song.frameAt(m.time, 768000); // the highest rate the program takes
    if (frame < lastFrame) std::abort();
    lastTime = m.time;
    lastFrame = frame;
  }
  return 0;
}
