// Tone oscillator: the sine table, built once for the whole process.
#include "ToneOscillator.h"

#include <array>
#include <cmath>

namespace stk {

namespace {

typedef std::array<double, ToneOscillator::TABLE_SIZE + 1> SineTable;

// The library's expression and order: sin(TWO_PI * i * (1.0 / TABLE_SIZE)), all in double.
SineTable buildSineTable() {
  SineTable table;
  const StkFloat step = 1.0 / ToneOscillator::TABLE_SIZE;
  for (unsigned long i = 0; i <= ToneOscillator::TABLE_SIZE; i++)
    table[i] = std::sin(TWO_PI * i * step);
  return table;
}

} // namespace

ToneOscillator::ToneOscillator() : time(0.0), rate(1.0), output(0.0), table(sineTable()) {}

const double* ToneOscillator::sineTable() {
  // Initialised on first use; the language makes concurrent first calls wait for one build.
  static const SineTable table = buildSineTable();
  return table.data();
}

} // namespace stk
