// Stepped noise: table filling, stepping rate and the block tick.
#include "Fizzmap.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace stk {

namespace {

// Whole samples per entry from a rate given as samples (may be anything); at least 2.
uint32_t holdPeriod(StkFloat samples) {
  if (!(samples >= 2.0)) return 2; // also NaN
  if (samples >= 4294967295.0) return 4294967295u;
  return static_cast<uint32_t>(samples);
}

unsigned int clockSeed(unsigned int seed) {
  return seed != 0 ? seed : static_cast<unsigned int>(time(NULL));
}

// rand() value r mapped to -1 .. 1 (1 excluded): 2 r 2^-31 - 1, without the int overflow of 2 r.
StkFloat bipolar(int r) {
  return r / 1073741824.0 - 1.0;
}

} // namespace

Fizzmap::Fizzmap(unsigned int unipolar, unsigned int seed, StkFloat sampleRate)
    : period(2), counter(0), index(0),
      sampleRateHz(sampleRate > 0 ? sampleRate : Stk::sampleRate()) {
  std::memset(&generator, 0, sizeof generator);
  std::memset(generatorState, 0, sizeof generatorState);
  initstate_r(clockSeed(seed), generatorState, sizeof generatorState, &generator);
  for (unsigned int i = 0; i < TABLE_LENGTH; i++) {
    int r = nextRandom();
    table[i] = unipolar ? r / 2147483647.0 : bipolar(r);
  }
  index = 0;
  counter = 0;
  period = holdPeriod(sampleRateHz / 30);
}

Fizzmap::~Fizzmap() {}

void Fizzmap::setFrequency(StkFloat frequency) {
  StkFloat rate = std::fabs(frequency);
  // NaN and rates beyond the 32-bit range: the shortest period, as any rate above the sample
  // rate already gives.
  if (!(rate < 2147483648.0)) {
    period = 2;
    return;
  }
  int32_t wholeHz = static_cast<int32_t>(rate);
  if (wholeHz == 0) {
    period = 2;
    return;
  }
  period = holdPeriod(sampleRateHz / wholeHz);
}

void Fizzmap::setSampleRate(StkFloat hz) {
  if (hz > 0) sampleRateHz = hz;
}

void Fizzmap::setSeed(unsigned int seed) {
  srandom_r(clockSeed(seed), &generator);
}

int32_t Fizzmap::nextRandom() {
  int32_t value = 0;
  random_r(&generator, &value);
  return value;
}

StkFrames& Fizzmap::tick(StkFrames& frames, unsigned int channel) {
  if (channel >= frames.channels()) {
    oStream_ << "Noise::tick(): channel and StkFrames arguments are incompatible!";
    handleError(StkError::FUNCTION_ARGUMENT);
    return frames; // reached only if the library's handler returns
  }
  StkFloat value = lastFrame_[0];
  for (unsigned int i = 0; i < frames.frames(); i++) {
    value = bipolar(nextRandom());
    frames(i, channel) = value;
  }
  lastFrame_[0] = value;
  return frames;
}

} // namespace stk
