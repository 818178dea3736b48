// Voice lanes: the voices' state into and out of the lanes, the refresh, the SSE2 and AVX2 paths.
#include "ZorvDrumLanes.h"

#include <atomic>
#include <cstring>
#include <limits>

#pragma GCC diagnostic ignored "-Wpsabi" // see ZorvDrumLanes.h

namespace stk {

namespace {

// The library keeps the oscillator's read position, rate, output and table to itself; a class
// derived from it may name them.
struct SineAccess : SineWave {
  static StkFloat SineWave::*time() { return &SineAccess::time_; }
  static StkFloat SineWave::*rate() { return &SineAccess::rate_; }
  static StkFrames Generator::*output() { return &SineAccess::lastFrame_; }
  static const StkFloat* table() { return &table_[0]; }
};

bool detectAvx2() {
  __builtin_cpu_init(); // runs before main
  return __builtin_cpu_supports("avx2");
}

const bool cpuHasAvx2 = detectAvx2();
std::atomic<bool> avx2Allowed{true};

} // namespace

ZorvDrumLanes::ZorvDrumLanes() {
  std::memset(static_cast<void*>(this), 0, sizeof *this);
  for (int l = 0; l < LANES; l++) {
    for (Envelopes& e : env)
      e.state[l] = Glimber::IDLE; // the lanes after the voices never sound
    untilRefresh[l] = ZorvDrum::REFRESH_INTERVAL;
  }
}

bool ZorvDrumLanes::avx2Supported() {
  return cpuHasAvx2;
}

void ZorvDrumLanes::allowAvx2(bool allowed) {
  avx2Allowed.store(allowed, std::memory_order_relaxed);
}

bool ZorvDrumLanes::usingAvx2() {
  return cpuHasAvx2 && avx2Allowed.load(std::memory_order_relaxed);
}

void ZorvDrumLanes::render(ZorvDrum* const* voices, float* out, unsigned int frames) {
  if (frames == 0) return;
  sampleRate = Stk::sampleRate();
  sine = SineAccess::table();
  maxFolds = 0;
  for (int l = 0; l < VOICES; l++) {
    voice[l] = voices[l];
    loadLane(l);
    maxFolds = std::max(maxFolds, voice[l]->foldCount);
  }
  for (int l = 0; l < LANES; l++)
    sounded[l] = 0;
  if (usingAvx2())
    renderAvx2(out, frames);
  else
    renderSse2(out, frames);
  for (int l = 0; l < VOICES; l++)
    storeLane(l);
}

void ZorvDrumLanes::renderSse2(float* out, unsigned int frames) {
  renderFrames<Sse2>(out, frames);
}

__attribute__((target("avx2"))) void ZorvDrumLanes::renderAvx2(float* out, unsigned int frames) {
  renderFrames<Avx2>(out, frames);
}

void ZorvDrumLanes::refreshLanes() {
  for (int l = 0; l < VOICES; l++)
    if (untilRefresh[l] == 0) {
      storeLane(l);
      voice[l]->refresh();
      loadLane(l);
    }
}

void ZorvDrumLanes::loadLane(int l) {
  const ZorvDrum& v = *voice[l];
  const Glimber* envelopes[3] = {v.bendEnvelope, v.noiseEnvelope, v.oscEnvelope};
  for (int k = 0; k < 3; k++) {
    const Glimber& g = *envelopes[k];
    Envelopes& e = env[k];
    e.state[l] = g.state;
    e.value[l] = g.value;
    e.target[l] = g.target;
    e.attackRate[l] = g.attackRate;
    e.decayRate[l] = g.decayRate;
    e.sustainLevel[l] = g.sustainLevel;
    e.releaseRate[l] = g.releaseRate;
  }
  bendDepth[l] = v.bendDepth;
  toneBaseHz[l] = v.toneBaseHz;
  toneBendHz[l] = v.toneBendHz;
  bendValue[l] = v.bendValue;
  noiseEnvValue[l] = v.noiseEnvValue;
  oscEnvValue[l] = v.oscEnvValue;
  lastToneHz[l] = v.lastToneHz;
  rateStale[l] = v.lastToneRate != sampleRate ? -1 : 0;

  noisePeriod[l] = v.noiseSource.period;
  noiseCounter[l] = v.noiseSource.counter;
  noiseIndex[l] = v.noiseSource.index;
  noiseTable[l] = v.noiseSource.table;
  pitchPeriod[l] = v.pitchNoise.period;
  pitchCounter[l] = v.pitchNoise.counter;
  pitchIndex[l] = v.pitchNoise.index;
  pitchTable[l] = v.pitchNoise.table;
  oscTime[l] = v.oscillator.*SineAccess::time();
  oscRate[l] = v.oscillator.*SineAccess::rate();
  oscOut[l] = v.oscillator.lastOut();

  foldCount[l] = v.foldCount;
  crushInput[l] = std::numeric_limits<float>::quiet_NaN(); // folded again on the first sample
  crushOutput[l] = 0.0f;
  int32_t counter = v.sampleCounter;
  int32_t phase = counter % ZorvDrum::REFRESH_INTERVAL;
  phase += phase < 0 ? ZorvDrum::REFRESH_INTERVAL : 0;
  sampleCounter[l] = counter;
  untilRefresh[l] = counter >= ZorvDrum::COUNTER_WRAP - 1 ? 1 : ZorvDrum::REFRESH_INTERVAL - phase;
  cubedRandom[l] = v.cubedRandom;
  noiseVeloGain[l] = v.noiseVeloGain;
  toneGain[l] = v.toneGain;
  amplitude[l] = v.amplitude;
  noiseLevel[l] = v.params[ZorvDrum::NOISE_LEVEL];

  const Plinvex& f = *v.voiceFilter;
  a1[l] = f.a1;
  a2[l] = f.a2;
  a3[l] = f.a3;
  b1[l] = f.b1;
  b2[l] = f.b2;
  in1[l] = f.in1;
  in2[l] = f.in2;
  out1[l] = f.out1;
  out2[l] = f.out2;
  lastOut[l] = v.lastFrame_[0];
}

void ZorvDrumLanes::storeLane(int l) {
  ZorvDrum& v = *voice[l];
  Glimber* envelopes[3] = {v.bendEnvelope, v.noiseEnvelope, v.oscEnvelope};
  for (int k = 0; k < 3; k++) {
    envelopes[k]->state = env[k].state[l];
    envelopes[k]->value = env[k].value[l];
    envelopes[k]->target = env[k].target[l];
  }
  v.bendValue = bendValue[l];
  v.noiseEnvValue = noiseEnvValue[l];
  v.oscEnvValue = oscEnvValue[l];
  v.lastToneHz = lastToneHz[l];
  if (!rateStale[l]) v.lastToneRate = sampleRate;

  v.noiseSource.counter = noiseCounter[l];
  v.noiseSource.index = noiseIndex[l];
  v.pitchNoise.counter = pitchCounter[l];
  v.pitchNoise.index = pitchIndex[l];
  if (sounded[l]) { // a voice that stayed silent ticked neither
    v.noiseSource.lastFrame_[0] = noiseTable[l][noiseIndex[l]];
    v.pitchNoise.lastFrame_[0] = pitchTable[l][pitchIndex[l]];
  }
  v.oscillator.*SineAccess::time() = oscTime[l];
  v.oscillator.*SineAccess::rate() = oscRate[l];
  (v.oscillator.*SineAccess::output())[0] = oscOut[l];

  v.sampleCounter = sampleCounter[l];
  Plinvex& f = *v.voiceFilter;
  f.in1 = in1[l];
  f.in2 = in2[l];
  f.out1 = out1[l];
  f.out2 = out2[l];
  v.lastFrame_[0] = lastOut[l];
}

} // namespace stk
