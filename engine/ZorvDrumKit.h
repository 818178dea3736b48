// The five-drum kit: routes notes to voices by MIDI note number and mixes them into one sample.
#ifndef TAMBREL_ZORVDRUMKIT_H
#define TAMBREL_ZORVDRUMKIT_H

#include "Instrmnt.h"

namespace stk {

class ZorvDrum;
class ZorvDrumLanes;

class ZorvDrumKit : public Instrmnt {
public:
  // seed 0: noise tables from the clock; otherwise those of a kit built while the clock read
  // `seed` seconds since the epoch. sampleRate in Hz; 0 (or any rate not above 0) takes the
  // library's global rate at construction. Construction reads the global rate (the library's
  // frames take it as their data rate) and the clock; after it the kit reads and writes no
  // process-wide state but the lanes' path choice (an atomic) and the block tick of StkFrames:
  // kits may live side by side, at different rates, on different threads.
  explicit ZorvDrumKit(unsigned int seed = 0, StkFloat sampleRate = 0);
  ZorvDrumKit(const ZorvDrumKit&) = delete;
  ZorvDrumKit& operator=(const ZorvDrumKit&) = delete;
  ~ZorvDrumKit() override;

  // frequency carries the MIDI note number (truncated toward zero to match).
  void noteOn(StkFloat frequency, StkFloat amplitude) override;
  // amplitude carries the MIDI note number.
  void noteOff(StkFloat amplitude) override;

  // Hz, for all five voices (see ZorvDrum::setSampleRate); rates not above 0 are ignored.
  void setSampleRate(StkFloat hz);
  StkFloat getSampleRate() const { return sampleRateHz; }

  // Drum number 0 .. nDrums - 1 of a MIDI note, or -1.
  int getDrumNumForNote(StkFloat note);
  // Always 21, whatever the drum.
  int getNParamsFor(int drum);
  // drum must lie within 0 .. nDrums - 1; param out of 0 .. 20 is handled by the voice.
  void setParam(int drum, int param, StkFloat value);
  StkFloat getParam(int drum, int param);
  const char* getParamName(int drum, int param);

  StkFloat tick(unsigned int channel = 0) override;
  // Reports a status through the library's process-wide message stream (printed when its
  // warnings are on), then ticks: not for an audio thread, nor for two threads at once.
  StkFrames& tick(StkFrames& frames, unsigned int channel = 0) override;
  // The next `frames` kit samples, each the float that tick() would return, rendered with the
  // five voices side by side; allocates nothing.
  void renderBlock(float* out, unsigned int frames);

  int nDrums;
  ZorvDrum** drums;
  int* drumNotes;

private:
  ZorvDrumLanes* lanes;  // the voices' per-sample state while a block renders
  StkFloat sampleRateHz; // the voices' rate
};

} // namespace stk

#endif
