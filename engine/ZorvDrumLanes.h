// The kit's five voices side by side in vector lanes: one pass of the per-sample code for all.
#ifndef TAMBREL_ZORVDRUMLANES_H
#define TAMBREL_ZORVDRUMLANES_H

#include "Glimber.h"

#include <cstdint>
#include <cstring>

// Lane vectors are passed only between functions that are always inlined, so the ABI notes about
// passing them by value do not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

#define TAMBREL_LANE_INLINE __attribute__((always_inline)) inline

namespace stk {

class ZorvDrum;

// The library's headers stay out of this one: the AVX2 source includes it, and must compile no
// code but its own for AVX2.
class ZorvDrumLanes {
public:
  static constexpr int VOICES = 5;
  static constexpr int LANES = 8;                 // voices 0 .. 4, then three lanes that stay idle
  static constexpr uint32_t NOISE_ENTRIES = 4096; // Fizzmap::TABLE_LENGTH
  static constexpr int32_t COUNTER_WRAP = 2000000000; // ZorvDrum::COUNTER_WRAP

  ZorvDrumLanes();
  ZorvDrumLanes(const ZorvDrumLanes&) = delete;
  ZorvDrumLanes& operator=(const ZorvDrumLanes&) = delete;

  // The next `frames` samples of the five voices, each the float sum voice 0 + .. + voice 4 that
  // the voices' own nextSample would give; the voices hold their state again on return.
  void render(ZorvDrum* const* voices, float* out, unsigned int frames);

  // AUTOMATIC, the default: AVX2 where the processor has it, else SSE2, and a block in which only
  // a few voices sound (one on AVX2, up to three on SSE2) is left to the voices themselves, which
  // are faster then. SSE2 and AVX2 always render in lanes on that path (AVX2 only where the
  // processor has it).
  enum class Path { AUTOMATIC, SSE2, AVX2 };
  static bool avx2Supported();
  static void choosePath(Path path);

private:
  // One value per lane, read and written a vector at a time.
  template <typename E> struct alignas(32) Lanes {
    E at[LANES];
    TAMBREL_LANE_INLINE E& operator[](int l) { return at[l]; }
    TAMBREL_LANE_INLINE const E& operator[](int l) const { return at[l]; }
    template <typename V> TAMBREL_LANE_INLINE V get(int first) const {
      V v;
      std::memcpy(&v, &at[first], sizeof v);
      return v;
    }
    template <typename V> TAMBREL_LANE_INLINE void set(int first, const V& v) {
      std::memcpy(&at[first], &v, sizeof v);
    }
  };

  // The vectors of a path: W float lanes, and the same lanes as two vectors of doubles. Masks
  // are 0 or -1 in each lane. Sse2 and Avx2 add the operations that need their instruction set
  // (any, min, max, conversions between the float and the double lanes, sinePoints), each in the
  // source compiled for it.
  template <int W> struct Vectors {
    typedef float F __attribute__((vector_size(4 * W)));
    typedef int32_t I __attribute__((vector_size(4 * W)));
    typedef uint32_t U __attribute__((vector_size(4 * W)));
    typedef double D __attribute__((vector_size(4 * W)));
    typedef int64_t L __attribute__((vector_size(4 * W)));
    typedef int32_t HI __attribute__((vector_size(2 * W))); // half the float lanes
  };
  struct Sse2;
  struct Avx2;

  // An envelope's step as a difference, value - fall, ending its stage when it reaches `upper`
  // (attack), falls to `lower` (decay, release) or, in a release, is NaN. NaN bounds never end;
  // a sustained or idle envelope falls by +0, which leaves every value as it is.
  struct Envelopes {
    Lanes<int32_t> state, endsOnNaN;
    Lanes<float> value, target, fall, upper, lower;
  };

  void renderSse2(float* out, unsigned int frames);
  void renderAvx2(float* out, unsigned int frames);
  template <class P> TAMBREL_LANE_INLINE void renderFrames(float* out, unsigned int frames);
  template <class P> TAMBREL_LANE_INLINE void nextSamples(float* samples);
  template <class P> TAMBREL_LANE_INLINE void tickEnvelope(int k, int first);
  template <class P>
  TAMBREL_LANE_INLINE bool sources(int first, typename P::I& on, typename P::F& noise,
                                   typename P::D (&tone)[2]);
  template <class P>
  TAMBREL_LANE_INLINE void output(int first, const typename P::I& on, const typename P::F& noise,
                                  const typename P::D (&tone)[2], float* samples);
  template <class P> TAMBREL_LANE_INLINE typename P::D sineHalf(int base, const typename P::I& on);
  template <class P> TAMBREL_LANE_INLINE double sineOne(int lane);
  template <class P>
  TAMBREL_LANE_INLINE typename P::D noiseHalf(int base, const typename P::U& index);
  template <class P>
  TAMBREL_LANE_INLINE typename P::D randomHalf(int base, const typename P::U& index);
  template <class P>
  TAMBREL_LANE_INLINE void mixHalf(int base, const typename P::F& y, const typename P::D& s,
                                   typename P::D& noiseOut, typename P::D& toneOut);

  // Voice `lane` into its lane, and back: every value that changes while the voice sounds.
  void loadLane(int lane);
  void storeLane(int lane);
  // Fall and bounds of envelope k of a lane, from its stage.
  void stepEnvelope(int k, int lane);
  // The stages of envelope k that end on this sample, lanes first .. end - 1, as the envelope
  // ends them.
  __attribute__((noinline)) void endStages(int k, int first, int end);
  // The slow settings of the lanes whose refresh falls on this sample, by the voices' own code.
  __attribute__((noinline)) void refreshLanes();

  Envelopes env[3];                               // bend, noise, oscillator
  Lanes<float> bendDepth, toneBaseHz, toneBendHz; // set by the voices' refresh
  Lanes<float> bendValue, noiseEnvValue, oscEnvValue;
  Lanes<float> lastToneHz;
  Lanes<int32_t> rateStale; // the oscillator's rate was set at another sample rate
  Lanes<uint32_t> noisePeriod, noiseCounter, noiseIndex;
  Lanes<float> rawNoise, foldedNoise;         // the current noise entry as a float, and its folds
  Lanes<float> nextRawNoise, nextFoldedNoise; // the same of the entry after
  Lanes<uint32_t> pitchPeriod, pitchCounter, pitchIndex;
  Lanes<float> randomHz;                  // from the current pitch noise entry
  Lanes<double> oscTime, oscRate, oscOut; // the oscillator's read position and rate in entries
  Lanes<int32_t> foldCount;
  Lanes<int32_t> sampleCounter, untilRefresh;
  Lanes<int32_t> sounded; // the lane has sounded during this render
  Lanes<double> cubedRandom, noiseVeloGain, toneGain, amplitude, noiseLevel;
  Lanes<float> a1, a2, a3, b1, b2, in1, in2, out1, out2; // the filters' coefficients, histories
  Lanes<float> lastOut; // the voices' samples at the end of the last chunk, not within one
  static constexpr unsigned int CHUNK = 64;
  alignas(32) float voiceSamples[CHUNK][LANES];
  int minFolds, maxFolds; // the fewest and the most passes of any voice
  double sampleRate;      // Hz, during this render
  const double* sine;     // the library's sine table, 2048 entries and the first again
  const double* noiseTable[LANES];
  const double* pitchTable[LANES];
  ZorvDrum* voice[VOICES];
};

template <class P> inline void ZorvDrumLanes::tickEnvelope(int k, int first) {
  typedef typename P::F F;
  typedef typename P::I I;
  Envelopes& e = env[k];
  const F value = e.value.get<F>(first);
  const F next = value - e.fall.get<F>(first);
  // A NaN ends only a release; endStages tells.
  const I ends = (next >= e.upper.get<F>(first)) | (e.lower.get<F>(first) >= next) | (next != next);
  e.value.set(first, next);
  if (P::any(ends)) endStages(k, first, first + P::W);
}

// The sine of the lanes from `base` on, half a float vector's worth, as floats.
template <class P> inline typename P::D ZorvDrumLanes::sineHalf(int base, const typename P::I& on) {
  typedef typename P::D D;
  typedef typename P::L L;
  typedef typename P::HI HI;
  const int h = base % P::W ? 1 : 0;
  // The library's SineWave::tick: wrap into the table, interpolate linearly, advance.
  D time = oscTime.get<D>(base);
  if (P::any(L((time < 0.0) | (time >= 2048.0)))) { // once a cycle, or when the rate turns back
    while (P::any(L(time < 0.0)))
      time = time < 0.0 ? time + 2048.0 : time;
    while (P::any(L(time >= 2048.0)))
      time = time >= 2048.0 ? time - 2048.0 : time;
  }
  const HI at = __builtin_convertvector(time, HI) & 2047; // a NaN time reads entry 0
  const D alpha = time - __builtin_convertvector(at, D);
  D low, high;
  P::sinePoints(sine, at, low, high);
  const D value = low + alpha * (high - low);
  const L sounding = P::wideMask(on, h);
  oscTime.set(base, sounding ? time + oscRate.get<D>(base) : oscTime.get<D>(base));
  oscOut.set(base, sounding ? value : oscOut.get<D>(base));
  return value;
}

// The same for the one lane of a half that holds a single voice: a half vector's work for it
// alone would cost several times as many instructions.
template <class P> inline double ZorvDrumLanes::sineOne(int lane) {
  double time = oscTime[lane];
  while (time < 0.0)
    time += 2048.0;
  while (time >= 2048.0)
    time -= 2048.0;
  const int32_t at = P::truncate(time) & 2047; // a NaN time reads entry 0
  const double alpha = time - at;
  const double low = sine[at];
  const double value = low + alpha * (sine[at + 1] - low);
  if (env[1].state[lane] != Glimber::IDLE || env[2].state[lane] != Glimber::IDLE) {
    oscTime[lane] = time + oscRate[lane];
    oscOut[lane] = value;
  }
  return value;
}

// The noise entries of the lanes from `base` on as floats.
template <class P>
inline typename P::D ZorvDrumLanes::noiseHalf(int base, const typename P::U& index) {
  typedef typename P::D D;
  constexpr int HALF = P::W / 2;
  const int h = base % P::W ? 1 : 0;
  D entry = {};
  for (int k = 0; k < HALF && base + k < VOICES; k++)
    entry[k] = noiseTable[base + k][index[h * HALF + k]];
  return entry;
}

// The first half of ZorvDrum::nextSample for the lanes from `first` on, up to the refresh:
// envelopes, noise, oscillator, crush and counter. True when a lane's refresh is due.
template <class P>
inline bool ZorvDrumLanes::sources(int first, typename P::I& on, typename P::F& noise,
                                   typename P::D (&tone)[2]) {
  typedef typename P::F F;
  typedef typename P::I I;
  typedef typename P::U U;
  typedef typename P::D D;
  constexpr int HALF = P::W / 2;
  for (int k = 0; k < 3; k++)
    tickEnvelope<P>(k, first);
  noiseEnvValue.set(first, env[1].value.get<F>(first));
  oscEnvValue.set(first, env[2].value.get<F>(first));
  bendValue.set(first, env[0].value.get<F>(first) * bendDepth.get<F>(first));
  const I noiseIdle = env[1].state.get<I>(first) == Glimber::IDLE;
  on = ~(noiseIdle & (env[2].state.get<I>(first) == Glimber::IDLE));
  if (!P::any(on)) return false;
  sounded.set(first, sounded.get<I>(first) | on);

  // Noise source: the next entry after period + 1 samples, folded as it arrives.
  const U count = noiseCounter.get<U>(first) + 1;
  const I step = on & reinterpret_cast<I>(count > noisePeriod.get<U>(first));
  noiseCounter.set(first, on ? (step ? U{} : count) : noiseCounter.get<U>(first));
  if (P::any(step)) {
    const U index = noiseIndex.get<U>(first);
    const U indexAfter = step ? (index + 1) & (NOISE_ENTRIES - 1) : index;
    noiseIndex.set(first, indexAfter);
    rawNoise.set(first, step ? nextRawNoise.get<F>(first) : rawNoise.get<F>(first));
    foldedNoise.set(first, step ? nextFoldedNoise.get<F>(first) : foldedNoise.get<F>(first));
    // The entry after, read and folded while this one sounds: a step never waits for the folds.
    const U ahead = (indexAfter + 1) & (NOISE_ENTRIES - 1);
    D high = {};
    if (first + HALF < VOICES) high = noiseHalf<P>(first + HALF, ahead);
    const F w = P::toFloat(noiseHalf<P>(first, ahead), high);
    // n folds max(2 (w - 0.5), -1.0f) are max(h^n(w), -1) with h(w) = 2 (w - 0.5), as h rises
    // with w and h(-1) < -1; and h^n(w) is 2^n t_n, t_0 = w, t_k = t_(k-1) - 2^-k rounded, as
    // doubling a float of these sizes (|w| <= 1, at most 64 folds) is exact. One subtraction a
    // pass instead of three operations in a row. Every lane passes at least minFolds times; a
    // lane with fewer passes than maxFolds keeps its t from its last pass on.
    const I passes = foldCount.get<I>(first);
    F t = w;
    float half = 0.5f; // 2^-(pass + 1)
    for (int pass = 0; pass < minFolds; pass++, half *= 0.5f)
      t = t - half;
    for (int pass = minFolds; pass < maxFolds; pass++, half *= 0.5f)
      t = pass < passes ? t - half : t;
    const F scale = reinterpret_cast<F>((passes + 127) << 23); // 2^passes
    F folded = P::max(F{} - 1.0f, scale * t);
    folded = passes == 0 ? w : folded;
    nextRawNoise.set(first, w);
    nextFoldedNoise.set(first, folded);
  }
  noise = noiseIdle ? rawNoise.get<F>(first) : foldedNoise.get<F>(first);

  // The sine as the float the voice keeps of it, in double for the tone gain.
  for (int h = 0; h < 2; h++) {
    const int base = first + h * HALF;
    if (base == VOICES - 1)
      tone[h] = D{static_cast<float>(sineOne<P>(base))};
    else
      tone[h] = base < VOICES ? P::throughFloat(sineHalf<P>(base, on)) : D{};
  }

  I counter = sampleCounter.get<I>(first) + 1;
  counter = counter >= COUNTER_WRAP ? I{} : counter;
  sampleCounter.set(first, on ? counter : sampleCounter.get<I>(first));
  const I until = untilRefresh.get<I>(first) + on; // one less in a sounding lane
  untilRefresh.set(first, until);
  return P::any(until == 0);
}

// Random pitch in Hz of the lanes from `base` on, from the pitch noise entries.
template <class P>
inline typename P::D ZorvDrumLanes::randomHalf(int base, const typename P::U& index) {
  typedef typename P::D D;
  constexpr int HALF = P::W / 2;
  const int h = base % P::W ? 1 : 0;
  D entry = {};
  for (int k = 0; k < HALF && base + k < VOICES; k++)
    entry[k] = pitchTable[base + k][index[h * HALF + k]];
  return 4000.0 * entry * cubedRandom.get<D>(base);
}

// The noise and tone parts of the mix of the lanes from `base` on, computed in double.
template <class P>
inline void ZorvDrumLanes::mixHalf(int base, const typename P::F& y, const typename P::D& s,
                                   typename P::D& noiseOut, typename P::D& toneOut) {
  typedef typename P::D D;
  const int h = base % P::W ? 1 : 0;
  noiseOut = P::toDouble(y, h) * noiseVeloGain.get<D>(base) * amplitude.get<D>(base) *
             noiseLevel.get<D>(base);
  toneOut = toneGain.get<D>(base) * s;
}

// The second half of ZorvDrum::nextSample, after the refresh: pitch noise, the oscillator's
// next rate, filter, mix and limits.
template <class P>
inline void ZorvDrumLanes::output(int first, const typename P::I& on, const typename P::F& w,
                                  const typename P::D (&s)[2], float* samples) {
  typedef typename P::F F;
  typedef typename P::I I;
  typedef typename P::U U;
  typedef typename P::D D;
  typedef typename P::L L;
  constexpr int HALF = P::W / 2;
  if (!P::any(on)) {
    std::memset(samples + first, 0, sizeof(F));
    return;
  }

  const U count = pitchCounter.get<U>(first) + 1;
  const I step = on & reinterpret_cast<I>(count > pitchPeriod.get<U>(first));
  pitchCounter.set(first, on ? (step ? U{} : count) : pitchCounter.get<U>(first));
  if (P::any(step)) {
    const U index = pitchIndex.get<U>(first);
    const U indexAfter = step ? (index + 1) & (NOISE_ENTRIES - 1) : index;
    pitchIndex.set(first, indexAfter);
    D high = {};
    if (first + HALF < VOICES) high = randomHalf<P>(first + HALF, indexAfter);
    randomHz.set(first, P::toFloat(randomHalf<P>(first, indexAfter), high));
  }
  const F toneHz = randomHz.get<F>(first) + toneBaseHz.get<F>(first) + 15.0f +
                   toneBendHz.get<F>(first) * bendValue.get<F>(first);
  const F lastHz = lastToneHz.get<F>(first);
  const I stale = rateStale.get<I>(first);
  const I retune = on & ((toneHz != lastHz) | stale);
  if (P::any(retune)) {
    lastToneHz.set(first, retune ? toneHz : lastHz);
    rateStale.set(first, stale & ~retune);
    const double half = sampleRate / 2;
    for (int h = 0; h < 2 && first + h * HALF < VOICES; h++) {
      const int base = first + h * HALF;
      D hz = P::toDouble(toneHz, h);
      hz = P::min(D{} + half, hz); // hz > half ? half : hz
      hz = P::max(D{} - half, hz); // hz < -half ? -half : hz
      hz = hz == hz ? hz : D{};
      const L set = P::wideMask(retune, h);
      oscRate.set(base, set ? 2048.0 * hz / sampleRate : oscRate.get<D>(base)); // setFrequency
    }
  }

  const F x1 = in1.get<F>(first), x2 = in2.get<F>(first);
  const F y1 = out1.get<F>(first), y2 = out2.get<F>(first);
  const F y = a1.get<F>(first) * w + a2.get<F>(first) * x1 + a3.get<F>(first) * x2 -
              b1.get<F>(first) * y1 - b2.get<F>(first) * y2;
  in2.set(first, on ? x1 : x2);
  in1.set(first, on ? w : x1);
  out2.set(first, on ? y1 : y2);
  out1.set(first, on ? y : y1);

  D noise0, tone0, noise1 = {}, tone1 = {};
  mixHalf<P>(first, y, s[0], noise0, tone0);
  if (first + HALF < VOICES) mixHalf<P>(first + HALF, y, s[1], noise1, tone1);
  const F mix = P::toFloat(noise0, noise1) * noiseEnvValue.get<F>(first) +
                P::toFloat(tone0, tone1) * oscEnvValue.get<F>(first);
  F out = mix == mix ? mix : F{}; // NaN from parameters far outside 0 .. 1
  out = P::max(F{} - 1.0f, out);  // std::max(out, -1.0f)
  out = P::min(F{} + 1.0f, out);  // std::min(out, 1.0f)
  const F sample = on ? out : F{};
  std::memcpy(samples + first, &sample, sizeof sample);
}

template <class P> inline void ZorvDrumLanes::nextSamples(float* samples) {
  typename P::I on[2] = {};
  typename P::F noise[2] = {};
  typename P::D tone[2][2] = {};
  bool due = sources<P>(0, on[0], noise[0], tone[0]);
  if (P::W == 4) due |= sources<P>(4, on[1], noise[1], tone[1]);
  if (due) refreshLanes();
  output<P>(0, on[0], noise[0], tone[0], samples);
  if (P::W == 4) output<P>(4, on[1], noise[1], tone[1], samples);
}

// The voices' samples of up to CHUNK frames are kept and summed after them, so that no sample
// waits for the sum of the one before.
template <class P> inline void ZorvDrumLanes::renderFrames(float* out, unsigned int frames) {
  for (unsigned int done = 0; done < frames;) {
    const unsigned int chunk = frames - done < CHUNK ? frames - done : CHUNK;
    for (unsigned int i = 0; i < chunk; i++)
      nextSamples<P>(voiceSamples[i]);
    std::memcpy(lastOut.at, voiceSamples[chunk - 1], sizeof lastOut.at);
    for (unsigned int i = 0; i < chunk; i++) {
      float sum = 0.0f;
      for (int v = 0; v < VOICES; v++)
        sum = sum + voiceSamples[i][v];
      out[done + i] = sum;
    }
    done += chunk;
  }
}

} // namespace stk

#pragma GCC diagnostic pop

#endif
