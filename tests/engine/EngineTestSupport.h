// Helpers for voice and kit tests: identical noise tables, sample-rate setup.
#ifndef TAMBREL_TESTS_ENGINE_SUPPORT_H
#define TAMBREL_TESTS_ENGINE_SUPPORT_H

#include "ZorvDrum.h"

#include <algorithm>
#include <memory>

namespace enginetest {

// Gives `to` the same noise tables as `from`, so both voices render the same samples.
inline void copyNoiseTables(const stk::ZorvDrum& from, stk::ZorvDrum& to) {
  std::copy(std::begin(from.noiseSource.table), std::end(from.noiseSource.table),
            std::begin(to.noiseSource.table));
  std::copy(std::begin(from.pitchNoise.table), std::end(from.pitchNoise.table),
            std::begin(to.pitchNoise.table));
}

inline std::unique_ptr<stk::ZorvDrum> newVoice() {
  stk::Stk::setSampleRate(44100.0);
  return std::make_unique<stk::ZorvDrum>();
}

} // namespace enginetest

#endif
