// One drum of a soundset struck alone on a fresh kit: the sound that analyze and plot measure.
#ifndef TAMBREL_DRUMHIT_H
#define TAMBREL_DRUMHIT_H

#include "HitFigures.h"
#include "SoundsetFormat.h"

#include <vector>

namespace stk {

class DrumHit {
public:
  static constexpr int kVelocity = 100;  // MIDI velocity of the hit (amplitude 100 / 128)
  static constexpr double kRate = 44100; // Hz
  static constexpr double kSeconds = 2;  // rendered from the note-on
  static constexpr unsigned kDefaultSeed = 1;

  // The MIDI note of drum 0 .. 4 (36, 38, 39, 42, 46).
  static int note(int drum);
  // kSeconds of the kit's output, at kRate, after one note-on of the drum and nothing else; the
  // soundset's parameters loaded into every drum, the noise tables those of `seed`.
  static std::vector<float> render(const Soundset& soundset, int drum, unsigned seed);
  static HitFigures measure(const Soundset& soundset, int drum, unsigned seed);
};

} // namespace stk

#endif
