// One synthesized drum: crushed, filtered stepped noise plus a bent sine, under three envelopes.
#ifndef TAMBREL_ZORVDRUM_H
#define TAMBREL_ZORVDRUM_H

#include "Fizzmap.h"
#include "Glimber.h"
#include "Instrmnt.h"
#include "Plinvex.h"
#include "ToneOscillator.h"

#include <algorithm>
#include <cstdint>

namespace stk {

class ZorvDrum final : public Instrmnt {
public:
  // Parameter indices; values are nominally 0 .. 1.
  enum Param {
    BEND_AMOUNT = 0,  // "B+-"
    BEND_ATTACK,      // "BAtk"
    BEND_DECAY,       // "BDcy"
    NOISE_BEND,       // "NB~"
    NOISE_FREQ,       // "NFrq"
    NOISE_RESONANCE,  // "NRso"
    NOISE_CRUSH,      // "NCsh"
    NOISE_ATTACK,     // "NAtk"
    NOISE_DECAY,      // "NDcy"
    NOISE_VELO,       // "NVlo"
    NOISE_LEVEL,      // "NLvl"
    OSC_BEND,         // "OB~"
    OSC_FREQ,         // "OFrq"
    OSC_RANDOM,       // "OR~"
    OSC_RANDOM_SPEED, // "ORSp"
    OSC_ATTACK,       // "OAtk"
    OSC_DECAY,        // "ODcy"
    OSC_VELO,         // "OVlo"
    OSC_LEVEL,        // "OLvl"
    VOLUME,           // "Vol"
    PAN,              // "Pan"
    N_PARAMS
  };
  // Slow settings are recomputed every this many sounding samples.
  static constexpr int32_t REFRESH_INTERVAL = 400;
  // sampleCounter returns to 0 here, a multiple of REFRESH_INTERVAL below 2^31.
  static constexpr int32_t COUNTER_WRAP = 2000000000;
  // More folds than this change no float below 1: each pass halves the distance to 1.
  static constexpr int MAX_FOLDS = 64;

  // seed 0: the noise tables come from the clock (rand's sequence seeded with time()); any other
  // seed gives the tables of a voice built while the clock read that many seconds. sampleRate in
  // Hz; 0 (or any rate not above 0) takes the library's global rate at construction, which the
  // voice never reads again.
  explicit ZorvDrum(unsigned int seed = 0, StkFloat sampleRate = 0);
  ZorvDrum(const ZorvDrum&) = delete;
  ZorvDrum& operator=(const ZorvDrum&) = delete;
  ~ZorvDrum() override;

  // frequency is ignored; amplitude 0 .. 1 (velocity / 128).
  void noteOn(StkFloat frequency, StkFloat amplitude) override;
  void noteOff(StkFloat amplitude) override;
  // Stores a parameter (0 .. 20); other numbers are ignored.
  void controlChange(int number, StkFloat value) override;
  // Parameter 0 .. 20, else 0.0.
  StkFloat controlInspect(int number);
  // Name of the parameter, number clamped to 0 .. 20.
  const char* getParamName(int number);
  // Envelope steps from the six attack and decay parameters.
  void configAllEnvelopes();
  // Hz; rates not above 0 are ignored. The oscillator keeps its pitch until its next sounding
  // sample sets it for the new rate, the noise rates follow at the next refresh; the filter and
  // the envelopes keep the rate the voice was built with.
  void setSampleRate(StkFloat hz);
  StkFloat getSampleRate() const { return sampleRateHz; }

  StkFloat tick(unsigned int channel = 0) override {
    (void)channel;
    return nextSample();
  }

  // The next output sample as the float it is (the kit sums floats); also kept in lastFrame_.
  float nextSample() {
    bendValue = bendEnvelope->tick();
    noiseEnvValue = noiseEnvelope->tick();
    oscEnvValue = oscEnvelope->tick();
    bendValue = bendValue * bendDepth;
    bool noiseIdle = noiseEnvelope->state == Glimber::IDLE;
    if (noiseIdle && oscEnvelope->state == Glimber::IDLE) {
      lastFrame_[0] = 0.0;
      return 0.0f;
    }

    float w = static_cast<float>(noiseSource.tick()); // 0 .. 1
    float s = static_cast<float>(oscillator.tick());
    if (!noiseIdle) w = crush(w);

    if (++sampleCounter >= COUNTER_WRAP) sampleCounter = 0;
    if (sampleCounter % REFRESH_INTERVAL == 0) refresh();

    StkFloat n = pitchNoise.tick(); // 0 .. 1
    float randomHz = static_cast<float>(4000 * n * cubedRandom);
    float toneHz = randomHz + toneBaseHz + 15 + toneBendHz * bendValue;
    // The oscillator's rate is a function of frequency and sample rate alone: skip the library
    // call when neither has changed (no bend and no new random step).
    if (toneHz != lastToneHz || sampleRateHz != lastToneRate) {
      lastToneHz = toneHz;
      lastToneRate = sampleRateHz;
      oscillator.setFrequency(safeToneFrequency(toneHz, sampleRateHz), sampleRateHz);
    }

    float y = voiceFilter->filter(w);
    float noisePart = static_cast<float>(y * noiseVeloGain * amplitude * params[NOISE_LEVEL]);
    float tonePart = static_cast<float>(toneGain * s);
    float mix = noisePart * noiseEnvValue + tonePart * oscEnvValue;

    float out = mix == mix ? mix : 0.0f; // NaN from parameters far outside 0 .. 1
    out = std::min(std::max(out, -1.0f), 1.0f);
    lastFrame_[0] = out;
    return out;
  }

  // Reports a status through the library's process-wide message stream (printed when its
  // warnings are on), then ticks: not for an audio thread, nor for two threads at once.
  StkFrames& tick(StkFrames& frames, unsigned int channel = 0) override;

  const char* const* paramNames;
  StkFloat params[N_PARAMS]; // written through controlChange, which keeps the derived factors
  ToneOscillator oscillator;
  Fizzmap noiseSource;
  Fizzmap pitchNoise;
  Glimber* bendEnvelope;
  Glimber* noiseEnvelope;
  Glimber* oscEnvelope;
  Plinvex* voiceFilter;
  float amplitude;       // set by noteOn, which keeps the derived factors
  int32_t sampleCounter; // sounding samples, wraps at COUNTER_WRAP
  float bendDepth;       // 2 "B+-" - 1
  float oscTuneCubed;    // "OFrq" cubed
  float oscBendCubed;    // "OB~" cubed
  float bendValue;       // bend envelope times bendDepth
  float noiseEnvValue;
  float oscEnvValue;

private:
  // The kit renders its voices side by side from this state, and refreshes them through refresh.
  friend class ZorvDrumLanes;

  // Slow settings: envelopes, noise rates, cubed pitch factors, filter.
  void refresh();
  // Per-sample factors from the parameters and the amplitude, after every change of either.
  void deriveAll();

  // Folds a 0 .. 1 value towards -1 over foldCount passes. The noise holds each value for 3 or
  // more samples, so the last result is kept for the same value; and the next table entry is
  // folded ahead, while the current one sounds, so that a new value usually finds its result
  // ready instead of waiting for the passes. Keys are values, so a result is always that of its
  // own value (controlChange forgets both).
  float crush(float w) {
    if (w == crushInput) return crushOutput;
    crushInput = w;
    crushOutput = w == nextCrushInput ? nextCrushOutput : foldAll(w);
    nextCrushInput = static_cast<float>(
        noiseSource.table[(noiseSource.index + 1) & (Fizzmap::TABLE_LENGTH - 1)]);
    nextCrushOutput = foldAll(nextCrushInput);
    return crushOutput;
  }

  float foldAll(float w) const {
    for (int i = 0; i < foldCount; i++)
      w = fold(w);
    return w;
  }

  // One pass: a negative value becomes -1, any other w becomes 2 (w - 0.5). For a negative w,
  // 2 (w - 0.5) is below -1, so the pass is a floor at -1 and needs no data-dependent branch.
  // The same float as 2 * (w - 0.5) in double for every float w in 0 .. 1: w - 0.5 is exact in
  // double down to w = 2^-29, and below that the result is far from a float rounding tie.
  static float fold(float w) { return std::max(2.0f * (w - 0.5f), -1.0f); }

  // NaN to 0, then within +- half the sample rate, so the oscillator's phase wrap stays short.
  static StkFloat safeToneFrequency(float hz, StkFloat sampleRate) {
    StkFloat half = sampleRate / 2;
    StkFloat f = hz > half ? half : hz;
    f = f < -half ? -half : f;
    return f == f ? f : 0.0;
  }

  static StkFloat cube(StkFloat x);

  // A noise rate in Hz made safe for Fizzmap: NaN to 0, then within 0 .. the sample rate.
  StkFloat safeNoiseRate(StkFloat hz) const;

  StkFloat sampleRateHz; // this voice's own; set at construction and by setSampleRate
  // Derived at control rate (deriveAll, refresh) in the arithmetic of the per-sample formulas.
  StkFloat cubedRandom;   // "OR~" cubed
  StkFloat noiseVeloGain; // 1 - "NVlo"
  StkFloat toneGain;      // (1 - "OVlo") amplitude "OLvl"
  int foldCount;          // passes i = 0, 1, .. below 8 - 7 "NCsh" and below MAX_FOLDS
  float toneBaseHz;       // 3900 oscTuneCubed
  float toneBendHz;       // 4000 oscBendCubed
  float crushInput;
  float crushOutput;
  float nextCrushInput; // the noise table's entry after crushInput's, when it was folded
  float nextCrushOutput;
  float lastToneHz;      // Hz, NaN before the first sounding sample
  StkFloat lastToneRate; // Hz, the sample rate the oscillator's rate was last set for
  // Envelope steps of the last configuration, by envelope (bend, noise, oscillator): the
  // logarithms are recomputed only when an attack or decay parameter has changed.
  StkFloat stepKeys[3][2];
  float steps[3][2];
};

} // namespace stk

#endif
