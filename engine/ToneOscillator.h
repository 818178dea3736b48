// Sine oscillator of the drum voice: one shared table, read with linear interpolation.
#ifndef TAMBREL_TONEOSCILLATOR_H
#define TAMBREL_TONEOSCILLATOR_H

#include "Stk.h"

namespace stk {

// The library's SineWave, to the bit (same table, same arithmetic), without its process-wide
// state: the table is built once, safely from any thread, and no oscillator registers anywhere.
// The owner passes the sample rate; nothing here reads the library's global rate.
class ToneOscillator {
public:
  static constexpr unsigned long TABLE_SIZE = 2048; // entries in a cycle; one more repeats entry 0

  ToneOscillator();
  ToneOscillator(const ToneOscillator&) = delete;
  ToneOscillator& operator=(const ToneOscillator&) = delete;

  // sin(2 pi i / 2048) for i = 0 .. 2048, computed as the library computes its table.
  static const double* sineTable();

  // frequency in Hz (may be negative: the table is read backwards) at sampleRate Hz.
  void setFrequency(StkFloat frequency, StkFloat sampleRate) {
    rate = TABLE_SIZE * frequency / sampleRate;
  }
  // Keeps the pitch across a change of sample rate, as the library's rate alert does.
  void sampleRateChanged(StkFloat newRate, StkFloat oldRate) { rate = oldRate * rate / newRate; }

  StkFloat tick() {
    while (time < 0.0)
      time += TABLE_SIZE;
    while (time >= TABLE_SIZE)
      time -= TABLE_SIZE;
    const unsigned int at = static_cast<unsigned int>(time);
    const StkFloat alpha = time - at;
    StkFloat value = table[at];
    value += alpha * (table[at + 1] - value);
    time += rate; // may be negative
    output = value;
    return value;
  }

  // The most recent output.
  StkFloat lastOut() const { return output; }

  StkFloat time;   // read position in entries, 0 .. 2048 after each wrap
  StkFloat rate;   // entries a sample
  StkFloat output; // the last sample, 0 before the first

private:
  const double* table; // sineTable(), kept so that tick needs no guard of a local static
};

} // namespace stk

#endif
