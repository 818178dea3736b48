// The five-drum kit: note routing by MIDI note number, the float mix, parameter pass-through.
#include "ZorvDrumKit.h"

#include "ZorvDrum.h"
#include "ZorvDrumLanes.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace stk {

namespace {

const int kitNotes[] = {36, 38, 39, 42, 46};

// Note number truncated toward zero; NaN and values outside the 32-bit range match no drum.
int32_t wholeNote(StkFloat note) {
  if (!(note > -2147483649.0 && note < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(note);
}

} // namespace

ZorvDrumKit::ZorvDrumKit(unsigned int seed, StkFloat sampleRate)
    : sampleRateHz(sampleRate > 0 ? sampleRate : Stk::sampleRate()) {
  // One reading of the clock for all ten noise tables, so that they are the same even when the
  // second turns while the kit is built.
  if (seed == 0) seed = static_cast<unsigned int>(time(NULL));
  nDrums = 5;
  drumNotes = static_cast<int*>(calloc(nDrums, sizeof(int)));
  for (int d = 0; d < nDrums; d++)
    drumNotes[d] = kitNotes[d];
  drums = static_cast<ZorvDrum**>(calloc(nDrums, sizeof(ZorvDrum*)));
  for (int d = 0; d < nDrums; d++)
    drums[d] = new ZorvDrum(seed, sampleRateHz);
  lanes = new ZorvDrumLanes();
}

ZorvDrumKit::~ZorvDrumKit() {
  delete lanes;
  for (int d = 0; d < nDrums; d++)
    if (drums[d]) delete drums[d];
  free(drums);
  free(drumNotes);
}

void ZorvDrumKit::setSampleRate(StkFloat hz) {
  if (!(hz > 0)) return;
  for (int d = 0; d < nDrums; d++)
    drums[d]->setSampleRate(hz);
  sampleRateHz = hz;
}

void ZorvDrumKit::noteOn(StkFloat frequency, StkFloat amplitude) {
  int32_t note = wholeNote(frequency);
  for (int d = 0; d < nDrums; d++)
    if (drumNotes[d] == note) drums[d]->noteOn(frequency, amplitude);
}

void ZorvDrumKit::noteOff(StkFloat amplitude) {
  int32_t note = wholeNote(amplitude);
  for (int d = 0; d < nDrums; d++)
    if (drumNotes[d] == note) drums[d]->noteOff(0.0);
}

int ZorvDrumKit::getDrumNumForNote(StkFloat note) {
  int32_t number = wholeNote(note);
  for (int d = 0; d < nDrums; d++)
    if (drumNotes[d] == number) return d;
  return -1;
}

int ZorvDrumKit::getNParamsFor(int) {
  return ZorvDrum::N_PARAMS;
}

void ZorvDrumKit::setParam(int drum, int param, StkFloat value) {
  drums[drum]->controlChange(param, value);
}

StkFloat ZorvDrumKit::getParam(int drum, int param) {
  return drums[drum]->controlInspect(param);
}

const char* ZorvDrumKit::getParamName(int drum, int param) {
  return drums[drum]->getParamName(param);
}

__attribute__((flatten)) StkFloat ZorvDrumKit::tick(unsigned int) {
  float sum = 0.0f;
  for (int d = 0; d < nDrums; d++)
    // Each voice sample is a float: a float sum rounds as the double sum rounded to float.
    sum = sum + drums[d]->nextSample();
  lastFrame_[0] = sum;
  return sum;
}

void ZorvDrumKit::renderBlock(float* out, unsigned int frames) {
  if (frames == 0) return;
  lanes->render(drums, sampleRateHz, out, frames);
  lastFrame_[0] = out[frames - 1];
}

StkFrames& ZorvDrumKit::tick(StkFrames& frames, unsigned int channel) {
  oStream_ << "ZorvDrumKit::tick(frames, chan)";
  handleError(StkError::STATUS);
  for (unsigned int i = 0; i < frames.frames(); i++)
    frames(i, channel) = tick();
  return frames;
}

} // namespace stk
