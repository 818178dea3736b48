// Stepped noise: a fixed table of 4096 random values, each held for a whole number of samples.
#ifndef TAMBREL_FIZZMAP_H
#define TAMBREL_FIZZMAP_H

#include "Generator.h"

#include <cstdint>

namespace stk {

class Fizzmap : public Generator {
public:
  static constexpr unsigned int TABLE_LENGTH = 4096;

  // unipolar != 0: values 0 .. 1, else -1 .. 1. seed 0 seeds rand from the clock.
  Fizzmap(unsigned int unipolar, unsigned int seed);
  ~Fizzmap() override;

  // Stepping rate in Hz; only its whole part counts, and a negative rate steps at its magnitude.
  void setFrequency(StkFloat frequency);
  // Reseeds the process-wide rand (clock when 0); the table stays as it is.
  void setSeed(unsigned int seed);

  StkFloat tick() {
    if (++counter > period) {
      counter = 0;
      index = (index + 1) & (TABLE_LENGTH - 1);
    }
    lastFrame_[0] = table[index];
    return lastFrame_[0];
  }

  // The most recent output.
  StkFloat lastOut() const { return lastFrame_[0]; }

  // Fresh rand() values in -1 .. 1 into one channel; the table is not used.
  StkFrames& tick(StkFrames& frames, unsigned int channel = 0) override;

  uint32_t period; // samples; an entry is held for period + 1 samples, never below 2
  uint32_t counter;
  StkFloat table[TABLE_LENGTH];
  uint32_t index; // 0 .. 4095

private:
  friend class ZorvDrumLanes; // keeps lastOut when it renders the noise in its lanes
};

} // namespace stk

#endif
