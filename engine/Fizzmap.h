// Stepped noise: a fixed table of 4096 random values, each held for a whole number of samples.
#ifndef TAMBREL_FIZZMAP_H
#define TAMBREL_FIZZMAP_H

#include "Generator.h"

#include <cstdint>
#include <cstdlib>

namespace stk {

class Fizzmap : public Generator {
public:
  static constexpr unsigned int TABLE_LENGTH = 4096;

  // unipolar != 0: values 0 .. 1, else -1 .. 1. The table holds the values rand() gives after
  // srand(seed), seed 0 meaning the clock's seconds, drawn from a generator of this object's own:
  // the process's rand() is neither read nor moved. sampleRate in Hz, 0: the library's global
  // rate now.
  Fizzmap(unsigned int unipolar, unsigned int seed, StkFloat sampleRate = 0);
  Fizzmap(const Fizzmap&) = delete; // the generator's state points into the object
  Fizzmap& operator=(const Fizzmap&) = delete;
  ~Fizzmap() override;

  // Stepping rate in Hz; only its whole part counts, and a negative rate steps at its magnitude.
  void setFrequency(StkFloat frequency);
  // Hz; the hold period follows at the next setFrequency. Rates not above 0 are ignored.
  void setSampleRate(StkFloat hz);
  StkFloat getSampleRate() const { return sampleRateHz; }
  // Reseeds the own generator (clock when 0), as srand would; the table stays as it is.
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

  // Fresh values of the own generator in -1 .. 1 into one channel; the table is not used. A
  // channel outside the frames is reported through the library's process-wide error handling.
  StkFrames& tick(StkFrames& frames, unsigned int channel = 0) override;

  uint32_t period; // samples; an entry is held for period + 1 samples, never below 2
  uint32_t counter;
  StkFloat table[TABLE_LENGTH];
  uint32_t index; // 0 .. 4095

private:
  friend class ZorvDrumLanes; // keeps lastOut when it renders the noise in its lanes

  // The next value of the own generator, 0 .. 2^31 - 1: rand()'s sequence, as glibc's rand()
  // is random() on its default 128-byte state.
  int32_t nextRandom();

  StkFloat sampleRateHz;
  random_data generator;                     // zeroed before initstate_r, which expects it
  alignas(int32_t) char generatorState[128]; // the same size as rand()'s own state
};

} // namespace stk

#endif
