// Drum voice: construction, notes, parameters and the slow settings refreshed every 400 samples.
#include "ZorvDrum.h"

#include "ParameterTable.h"

#include <cmath>
#include <limits>

namespace stk {

namespace {

// Per-sample step of an attack or decay parameter: (ln(X^3 + 1.001))^3 with X = 0.5 p + 0.2.
// The attack cube stays in double; the decay cube is rounded to float first.
float attackStep(StkFloat parameter) {
  float x = 0.5 * parameter + 0.2;
  float logarithm = std::log(std::pow(x, 3) + 1.001);
  return std::pow(logarithm, 3);
}

float decayStep(StkFloat parameter) {
  float x = 0.5 * parameter + 0.2;
  float xCubed = std::pow(x, 3);
  float logarithm = std::log(xCubed + 1.001);
  return std::pow(logarithm, 3);
}

// The rate a voice is built for: the given one, or the library's global rate when it is 0.
StkFloat constructionRate(StkFloat sampleRate) {
  return sampleRate > 0 ? sampleRate : Stk::sampleRate();
}

bool isFinite(float x) {
  return std::isfinite(x);
}

} // namespace

StkFloat ZorvDrum::cube(StkFloat x) {
  return std::pow(x, 3);
}

ZorvDrum::ZorvDrum(unsigned int seed, StkFloat sampleRate)
    : paramNames(ParameterTable::shortNames()), noiseSource(1, seed, constructionRate(sampleRate)),
      pitchNoise(1, seed, constructionRate(sampleRate)), amplitude(0.0f), sampleCounter(0),
      bendValue(0.0f), noiseEnvValue(0.0f), oscEnvValue(0.0f),
      sampleRateHz(constructionRate(sampleRate)) {
  for (int i = 0; i < N_PARAMS; i++)
    params[i] = ParameterTable::at(i).defaultValue;

  float blockRate = static_cast<float>(sampleRateHz); // the filter and envelopes work in float
  if (blockRate <= 0) blockRate = 44100;
  bendEnvelope = new Glimber(blockRate);
  noiseEnvelope = new Glimber(blockRate);
  oscEnvelope = new Glimber(blockRate);
  voiceFilter = new Plinvex(blockRate);
  voiceFilter->filterConfig(static_cast<float>(blockRate * params[NOISE_FREQ]),
                            static_cast<float>(params[NOISE_RESONANCE]));
  sampleCounter = 0;

  // Read from the first sounding sample on, before the first refresh sets them.
  oscBendCubed = cube(params[OSC_BEND]);
  oscTuneCubed = cube(params[OSC_FREQ]);
  bendDepth = 2 * params[BEND_AMOUNT] - 1;
  toneBaseHz = 3900 * oscTuneCubed;
  toneBendHz = 4000 * oscBendCubed;

  deriveAll();
  lastToneHz = std::numeric_limits<float>::quiet_NaN();
  lastToneRate = 0.0;
  for (int k = 0; k < 3; k++)
    stepKeys[k][0] = stepKeys[k][1] = std::numeric_limits<StkFloat>::quiet_NaN();
}

ZorvDrum::~ZorvDrum() {
  delete bendEnvelope;
  delete noiseEnvelope;
  delete oscEnvelope;
  delete voiceFilter;
}

void ZorvDrum::setSampleRate(StkFloat hz) {
  if (!(hz > 0) || hz == sampleRateHz) return;
  // The oscillator's rate is rescaled as the library's rate alert did; lastToneRate no longer
  // matches, so the next sounding sample sets the rate from the frequency again.
  oscillator.sampleRateChanged(hz, sampleRateHz);
  noiseSource.setSampleRate(hz);
  pitchNoise.setSampleRate(hz);
  sampleRateHz = hz;
}

StkFloat ZorvDrum::safeNoiseRate(StkFloat hz) const {
  if (hz != hz || hz < 0) return 0.0;
  if (hz > sampleRateHz) return sampleRateHz;
  return hz;
}

void ZorvDrum::noteOn(StkFloat frequency, StkFloat newAmplitude) {
  (void)frequency;
  amplitude = newAmplitude;
  deriveAll();
  configAllEnvelopes();
  bendEnvelope->keyOn();
  noiseEnvelope->keyOn();
  oscEnvelope->keyOn();
}

void ZorvDrum::noteOff(StkFloat) {
  bendEnvelope->keyOff();
  noiseEnvelope->keyOff();
  oscEnvelope->keyOff();
}

void ZorvDrum::controlChange(int number, StkFloat value) {
  if (number < 0 || number >= N_PARAMS) return;
  params[number] = value;
  deriveAll();
}

void ZorvDrum::deriveAll() {
  cubedRandom = cube(params[OSC_RANDOM]);
  noiseVeloGain = 1 - params[NOISE_VELO];
  toneGain = (1 - params[OSC_VELO]) * amplitude * params[OSC_LEVEL];
  StkFloat foldBound = 8 - 7 * params[NOISE_CRUSH];
  foldCount = 0;
  while (foldCount < MAX_FOLDS && foldCount < foldBound) // NaN: no pass
    foldCount++;
  // NaN matches no noise value: both are folded again with the new count.
  crushInput = nextCrushInput = std::numeric_limits<float>::quiet_NaN();
  crushOutput = nextCrushOutput = 0.0f;
}

StkFloat ZorvDrum::controlInspect(int number) {
  if (number >= 0 && number < N_PARAMS) return params[number];
  return 0.0;
}

const char* ZorvDrum::getParamName(int number) {
  if (number < 0) number = 0;
  if (number > N_PARAMS - 1) number = N_PARAMS - 1;
  return paramNames[number];
}

void ZorvDrum::configAllEnvelopes() {
  Glimber* envelopes[3] = {bendEnvelope, noiseEnvelope, oscEnvelope};
  const int attackParams[3] = {BEND_ATTACK, NOISE_ATTACK, OSC_ATTACK}; // decay follows each
  for (int k = 0; k < 3; k++) {
    StkFloat attack = params[attackParams[k]], decay = params[attackParams[k] + 1];
    // A NaN key never matches, so NaN parameters are recomputed each time, as they must be.
    if (!(attack == stepKeys[k][0])) {
      stepKeys[k][0] = attack;
      steps[k][0] = attackStep(attack);
    }
    if (!(decay == stepKeys[k][1])) {
      stepKeys[k][1] = decay;
      steps[k][1] = decayStep(decay);
    }
    envelopes[k]->sustainLevel = 0;
    envelopes[k]->attackRate = steps[k][0];
    envelopes[k]->decayRate = steps[k][1];
    envelopes[k]->releaseRate = steps[k][1];
  }
}

void ZorvDrum::refresh() {
  configAllEnvelopes();

  float crushRate = 2.5 * std::pow(params[NOISE_CRUSH], 2) + 0.1; // times the sample rate
  noiseSource.setFrequency(safeNoiseRate(crushRate * sampleRateHz));
  pitchNoise.setFrequency(safeNoiseRate(cube(params[OSC_RANDOM_SPEED]) * 800 + 5));

  oscBendCubed = cube(params[OSC_BEND]);
  oscTuneCubed = cube(params[OSC_FREQ]);
  bendDepth = 2 * params[BEND_AMOUNT] - 1;
  toneBaseHz = 3900 * oscTuneCubed;
  toneBendHz = 4000 * oscBendCubed;

  float baseCutoff = 8000 * params[NOISE_FREQ] + 200;
  float cutoff = baseCutoff + 4000 * params[NOISE_BEND] * bendValue;
  voiceFilter->filterConfig(cutoff, static_cast<float>(0.997 * params[NOISE_RESONANCE]));

  // Parameters far outside 0 .. 1 can make the filter or an envelope run away to inf or NaN;
  // start them again from zero so the drum recovers once its parameters are sane.
  Plinvex& f = *voiceFilter;
  if (!isFinite(f.in1) || !isFinite(f.in2) || !isFinite(f.out1) || !isFinite(f.out2)) {
    f.in1 = f.in2 = f.out1 = f.out2 = 0.0f;
  }
  Glimber* envelopes[] = {bendEnvelope, noiseEnvelope, oscEnvelope};
  for (Glimber* envelope : envelopes)
    if (!isFinite(envelope->value)) envelope->value = 0.0f;
}

StkFrames& ZorvDrum::tick(StkFrames& frames, unsigned int channel) {
  oStream_ << "ZorvDrum::tick(frames, chan)";
  handleError(StkError::STATUS);
  for (unsigned int i = 0; i < frames.frames(); i++)
    frames(i, channel) = tick();
  return frames;
}

} // namespace stk
