// Voice lanes: the voices' state into and out of the lanes, their envelope stages and refresh.
#include "ZorvDrumLanes.h"

#include "ZorvDrum.h"

#include <cstring>
#include <limits>

namespace stk {

namespace {

// The same float to the bit (-0 is not +0, a NaN is itself).
bool sameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

void ZorvDrumLanes::refreshLanes() {
  for (int l = 0; l < laneVoices; l++)
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
    env[k].state[l] = envelopes[k]->state;
    env[k].value[l] = envelopes[k]->value;
    env[k].target[l] = envelopes[k]->target;
    stepEnvelope(k, l, *envelopes[k]);
  }
  noteStates(l);
  bendDepth[l] = v.bendDepth;
  toneBaseHz[l] = v.toneBaseHz;
  toneBendHz[l] = v.toneBendHz;
  bendValue[l] = v.bendValue;
  noiseEnvValue[l] = v.noiseEnvValue;
  oscEnvValue[l] = v.oscEnvValue;
  rateStale[l] = v.lastToneRate != sampleRate ? -1 : 0;
  lastToneHz[l] = rateStale[l] ? std::numeric_limits<float>::quiet_NaN() : v.lastToneHz;

  noisePeriod[l] = static_cast<int32_t>(v.noiseSource.period) ^ UNSIGNED_BIAS;
  noiseCounter[l] = static_cast<int32_t>(v.noiseSource.counter) ^ UNSIGNED_BIAS;
  noiseIndex[l] = v.noiseSource.index;
  noiseTable[l] = v.noiseSource.table;
  // The lane keeps each noise value beside its folds: a value that is still there, with as many
  // passes as before, is not folded again.
  const bool samePasses = foldCount[l] == v.foldCount;
  foldCount[l] = v.foldCount;
  const float raw = static_cast<float>(noiseTable[l][noiseIndex[l]]);
  if (!(samePasses && sameBits(raw, rawNoise[l]))) foldedNoise[l] = v.foldAll(raw);
  rawNoise[l] = raw;
  const float next =
      static_cast<float>(noiseTable[l][(noiseIndex[l] + 1) & (Fizzmap::TABLE_LENGTH - 1)]);
  if (!(samePasses && sameBits(next, nextRawNoise[l]))) nextFoldedNoise[l] = v.foldAll(next);
  nextRawNoise[l] = next;
  pitchPeriod[l] = static_cast<int32_t>(v.pitchNoise.period) ^ UNSIGNED_BIAS;
  pitchCounter[l] = static_cast<int32_t>(v.pitchNoise.counter) ^ UNSIGNED_BIAS;
  pitchIndex[l] = v.pitchNoise.index;
  pitchTable[l] = v.pitchNoise.table;
  randomHz[l] = static_cast<float>(4000 * pitchTable[l][pitchIndex[l]] * v.cubedRandom);
  oscTime[l] = v.oscillator.time;
  oscRate[l] = v.oscillator.rate;
  oscOut[l] = v.oscillator.output;

  int32_t counter = v.sampleCounter;
  int32_t phase = counter % ZorvDrum::REFRESH_INTERVAL;
  phase += phase < 0 ? ZorvDrum::REFRESH_INTERVAL : 0;
  untilRefresh[l] = counter >= ZorvDrum::COUNTER_WRAP - 1 ? 1 : ZorvDrum::REFRESH_INTERVAL - phase;
  loadedCounter[l] = counter;
  loadedUntil[l] = untilRefresh[l];
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

void ZorvDrumLanes::stepEnvelope(int k, int l, const Glimber& g) {
  Envelopes& e = env[k];
  float fall = 0.0f;
  float upper = std::numeric_limits<float>::quiet_NaN(); // never reached
  float lower = -std::numeric_limits<float>::infinity(); // passes only a NaN value (or -inf)
  switch (e.state[l]) {
  case Glimber::ATTACK: // x - -y is x + y; a NaN keeps its sign, as the sum would give it
    fall = g.attackRate == g.attackRate ? -g.attackRate : g.attackRate;
    upper = e.target[l];
    break;
  case Glimber::DECAY:
    fall = g.decayRate;
    lower = g.sustainLevel;
    break;
  case Glimber::RELEASE:
    fall = g.releaseRate;
    lower = 0.0f;
    break;
  default:
    break;
  }
  e.fall[l] = fall;
  e.upper[l] = upper;
  e.lower[l] = lower;
}

void ZorvDrumLanes::endStages(int k, int first, int end) {
  Envelopes& e = env[k];
  for (int l = first; l < end && l < VOICES; l++) {
    const float value = e.value[l];
    const int state = e.state[l];
    const bool ends = state == Glimber::ATTACK    ? value >= e.upper[l]
                      : state == Glimber::DECAY   ? e.lower[l] >= value
                      : state == Glimber::RELEASE ? !(value > 0.0f) // NaN too
                                                  : false;
    if (!ends) continue;
    const ZorvDrum& v = *voice[l];
    const Glimber* envelopes[3] = {v.bendEnvelope, v.noiseEnvelope, v.oscEnvelope};
    switch (state) {
    case Glimber::ATTACK:
      e.value[l] = e.target[l];
      e.target[l] = envelopes[k]->sustainLevel;
      e.state[l] = Glimber::DECAY;
      break;
    case Glimber::DECAY:
      e.value[l] = envelopes[k]->sustainLevel;
      e.state[l] = Glimber::SUSTAIN;
      break;
    default:
      e.value[l] = 0.0f;
      e.state[l] = Glimber::IDLE;
    }
    stepEnvelope(k, l, *envelopes[k]);
    noteStates(l);
  }
}

void ZorvDrumLanes::noteStates(int l) {
  noiseIdle[l] = env[1].state[l] == Glimber::IDLE ? -1 : 0;
  sounding[l] = noiseIdle[l] && env[2].state[l] == Glimber::IDLE ? 0 : -1;
}

int32_t ZorvDrumLanes::sampleCounterOf(int l) const {
  const int32_t samples = loadedUntil[l] - untilRefresh[l]; // 0 .. REFRESH_INTERVAL
  const int32_t counter = loadedCounter[l];
  if (samples == 0) return counter;
  // From COUNTER_WRAP - 1 on, the first sample wraps the counter to 0 and refreshes; below, the
  // refresh comes at a multiple of REFRESH_INTERVAL, which COUNTER_WRAP is.
  if (counter >= ZorvDrum::COUNTER_WRAP - 1) return samples - 1;
  const int32_t after = counter + samples;
  return after == ZorvDrum::COUNTER_WRAP ? 0 : after;
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
  if (!rateStale[l] || sounded[l]) { // a sounding lane set the rate on its first sample
    v.lastToneHz = lastToneHz[l];
    v.lastToneRate = sampleRate;
  }

  v.noiseSource.counter = static_cast<uint32_t>(noiseCounter[l] ^ UNSIGNED_BIAS);
  v.noiseSource.index = noiseIndex[l];
  v.pitchNoise.counter = static_cast<uint32_t>(pitchCounter[l] ^ UNSIGNED_BIAS);
  v.pitchNoise.index = pitchIndex[l];
  if (sounded[l]) { // a voice that stayed silent ticked neither
    v.noiseSource.lastFrame_[0] = noiseTable[l][noiseIndex[l]];
    v.pitchNoise.lastFrame_[0] = pitchTable[l][pitchIndex[l]];
  }
  v.oscillator.time = oscTime[l];
  v.oscillator.rate = oscRate[l];
  v.oscillator.output = oscOut[l];

  v.sampleCounter = sampleCounterOf(l);
  Plinvex& f = *v.voiceFilter;
  f.in1 = in1[l];
  f.in2 = in2[l];
  f.out1 = out1[l];
  f.out2 = out2[l];
  v.lastFrame_[0] = lastOut[l];
}

} // namespace stk
