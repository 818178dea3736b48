// The built-in groove: four bars at 120 BPM on all five drums, as a Standard MIDI File.
#ifndef TAMBREL_DEMOGROOVE_H
#define TAMBREL_DEMOGROOVE_H

#include <cstdint>
#include <vector>

// Format 0, 480 ticks per quarter note, notes on channel index 9. One quarter note of silence,
// then four bars of sixteenth notes (120 ticks, 0.125 s): kick 36, snare 38 with ghost notes,
// clap 39, closed hi-hat 42 and open hi-hat 46, at several velocities. Each note is released a
// sixteenth later by a note-on of velocity 0 in running status.
class DemoGroove {
public:
  static constexpr int kTicksPerQuarter = 480;
  static constexpr int kLeadInTicks = 480;
  static constexpr int kBars = 4;
  static constexpr int kStepTicks = 120; // a sixteenth note

  struct Hit {
    int step; // sixteenth from the end of the lead-in, 0 .. 16 kBars - 1
    int note;
    int velocity;
  };

  // Every hit in step order; within a step in drum order.
  static std::vector<Hit> hits();
  // The whole file.
  static std::vector<uint8_t> midiFile();
};

#endif
