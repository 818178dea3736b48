// The kit's five voices side by side in vector lanes: one pass of the per-sample code for all.
#ifndef TAMBREL_ZORVDRUMLANES_H
#define TAMBREL_ZORVDRUMLANES_H

#include "ZorvDrum.h"

#include <cstdint>
#include <cstring>

// Lane vectors are passed only between functions that are always inlined, so the ABI notes about
// passing them by value do not apply.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

#define TAMBREL_LANE_INLINE __attribute__((always_inline)) inline

namespace stk {

class ZorvDrumLanes {
public:
  static constexpr int VOICES = 5;
  static constexpr int LANES = 8; // voices 0 .. 4, then three lanes that stay idle

  ZorvDrumLanes();
  ZorvDrumLanes(const ZorvDrumLanes&) = delete;
  ZorvDrumLanes& operator=(const ZorvDrumLanes&) = delete;

  // The next `frames` samples of the five voices, each the float sum voice 0 + .. + voice 4 that
  // the voices' own nextSample would give; the voices hold their state again on return.
  void render(ZorvDrum* const* voices, float* out, unsigned int frames);

  // Whether the processor runs the AVX2 path; allowAvx2(false) keeps every render on SSE2.
  static bool avx2Supported();
  static void allowAvx2(bool allowed);
  static bool usingAvx2();

private:
  // One value per lane, read and written a vector at a time.
  template <typename E> struct alignas(32) Lanes {
    E at[LANES];
    E& operator[](int l) { return at[l]; }
    const E& operator[](int l) const { return at[l]; }
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
  // are 0 or -1 in each lane.
  template <int W> struct Path {
    typedef float F __attribute__((vector_size(4 * W)));
    typedef int32_t I __attribute__((vector_size(4 * W)));
    typedef uint32_t U __attribute__((vector_size(4 * W)));
    typedef double D __attribute__((vector_size(4 * W)));
    typedef int64_t L __attribute__((vector_size(4 * W)));
    typedef float H __attribute__((vector_size(2 * W))); // half the float lanes
    typedef int32_t HI __attribute__((vector_size(2 * W)));
  };
  struct Sse2 : Path<4> {
    static constexpr int W = 4;
    TAMBREL_LANE_INLINE static H half(const F& f, int h) {
      return h ? __builtin_shufflevector(f, f, 2, 3) : __builtin_shufflevector(f, f, 0, 1);
    }
    TAMBREL_LANE_INLINE static HI half(const I& m, int h) {
      return h ? __builtin_shufflevector(m, m, 2, 3) : __builtin_shufflevector(m, m, 0, 1);
    }
    TAMBREL_LANE_INLINE static F join(const H& a, const H& b) {
      return __builtin_shufflevector(a, b, 0, 1, 2, 3);
    }
  };
  struct Avx2 : Path<8> {
    static constexpr int W = 8;
    TAMBREL_LANE_INLINE static H half(const F& f, int h) {
      return h ? __builtin_shufflevector(f, f, 4, 5, 6, 7)
               : __builtin_shufflevector(f, f, 0, 1, 2, 3);
    }
    TAMBREL_LANE_INLINE static HI half(const I& m, int h) {
      return h ? __builtin_shufflevector(m, m, 4, 5, 6, 7)
               : __builtin_shufflevector(m, m, 0, 1, 2, 3);
    }
    TAMBREL_LANE_INLINE static F join(const H& a, const H& b) {
      return __builtin_shufflevector(a, b, 0, 1, 2, 3, 4, 5, 6, 7);
    }
  };

  template <typename V> TAMBREL_LANE_INLINE static bool any(const V& m) {
    uint64_t words[sizeof(V) / 8];
    std::memcpy(words, &m, sizeof m);
    uint64_t bits = 0;
    for (uint64_t word : words)
      bits |= word;
    return bits != 0;
  }

  struct Envelopes {
    Lanes<int32_t> state;
    Lanes<float> value, target, attackRate, decayRate, sustainLevel, releaseRate;
  };

  void renderSse2(float* out, unsigned int frames);
  void renderAvx2(float* out, unsigned int frames);
  template <class P> TAMBREL_LANE_INLINE void renderFrames(float* out, unsigned int frames);
  template <class P> TAMBREL_LANE_INLINE float nextSample();
  template <class P> TAMBREL_LANE_INLINE static void tickEnvelope(Envelopes& e, int first);
  template <class P> TAMBREL_LANE_INLINE bool sources(int first);
  template <class P> TAMBREL_LANE_INLINE void output(int first);
  template <class P>
  TAMBREL_LANE_INLINE void sourceHalf(int base, const typename P::I& on, const typename P::U& index,
                                      typename P::H& noiseOut, typename P::H& sineOut);
  template <class P>
  TAMBREL_LANE_INLINE typename P::H randomHalf(int base, const typename P::U& index);
  template <class P>
  TAMBREL_LANE_INLINE void mixHalf(int base, const typename P::F& y, const typename P::F& s,
                                   typename P::H& noiseOut, typename P::H& toneOut);

  // Voice `lane` into its lane, and back: every value that changes while the voice sounds.
  void loadLane(int lane);
  void storeLane(int lane);
  // The slow settings of the lanes whose refresh falls on this sample, by the voices' own code.
  __attribute__((noinline)) void refreshLanes();

  Envelopes env[3];                               // bend, noise, oscillator
  Lanes<float> bendDepth, toneBaseHz, toneBendHz; // set by the voices' refresh
  Lanes<float> bendValue, noiseEnvValue, oscEnvValue;
  Lanes<float> lastToneHz;
  Lanes<int32_t> rateStale; // the oscillator's rate was set at another sample rate
  Lanes<int32_t> active;    // the noise or the oscillator envelope is not idle this sample
  Lanes<uint32_t> noisePeriod, noiseCounter, noiseIndex;
  Lanes<double> noiseValue; // the noise source's current table entry, 0 .. 1
  Lanes<uint32_t> pitchPeriod, pitchCounter, pitchIndex;
  Lanes<double> pitchValue;
  Lanes<double> oscTime, oscRate, oscOut; // the oscillator's read position and rate in entries
  Lanes<float> noise, tone;               // this sample's crushed noise and sine
  Lanes<int32_t> foldCount;
  Lanes<float> crushInput, crushOutput; // the last noise value folded, and its folds
  Lanes<int32_t> sampleCounter, untilRefresh;
  Lanes<int32_t> sounded; // the lane has sounded during this render
  Lanes<double> cubedRandom, noiseVeloGain, toneGain, amplitude, noiseLevel;
  Lanes<float> a1, a2, a3, b1, b2, in1, in2, out1, out2; // the filters' coefficients, histories
  Lanes<float> lastOut;
  int maxFolds;       // the most passes of any lane
  double sampleRate;  // Hz, during this render
  const double* sine; // the library's sine table, 2048 entries and the first again
  const double* noiseTable[LANES];
  const double* pitchTable[LANES];
  ZorvDrum* voice[VOICES];
};

template <class P> inline void ZorvDrumLanes::tickEnvelope(Envelopes& e, int first) {
  typedef typename P::F F;
  typedef typename P::I I;
  const I stage = e.state.get<I>(first);
  const F value = e.value.get<F>(first), target = e.target.get<F>(first);
  const F sustain = e.sustainLevel.get<F>(first);
  const I attack = stage == Glimber::ATTACK, decay = stage == Glimber::DECAY,
          release = stage == Glimber::RELEASE;
  const F up = value + e.attackRate.get<F>(first), down = value - e.decayRate.get<F>(first);
  const F next = value - e.releaseRate.get<F>(first);
  const I attackEnds = attack & (up >= target);
  const I decayEnds = decay & (sustain >= down);
  const I releaseEnds = release & ~(next > 0.0f); // NaN ends the release too
  F after = attack ? (attackEnds ? target : up) : value;
  after = decay ? (decayEnds ? sustain : down) : after;
  e.value.set(first, release ? (releaseEnds ? F{} : next) : after);
  e.target.set(first, attackEnds ? sustain : target);
  I stageAfter = attackEnds ? I{} + Glimber::DECAY : stage;
  stageAfter = decayEnds ? I{} + Glimber::SUSTAIN : stageAfter;
  e.state.set(first, releaseEnds ? I{} + Glimber::IDLE : stageAfter);
}

// Noise entries and sine of the lanes from `base` on, half a float vector's worth, as floats.
template <class P>
inline void ZorvDrumLanes::sourceHalf(int base, const typename P::I& on, const typename P::U& index,
                                      typename P::H& noiseOut, typename P::H& sineOut) {
  typedef typename P::D D;
  typedef typename P::L L;
  typedef typename P::H H;
  typedef typename P::HI HI;
  constexpr int HALF = P::W / 2;
  const int h = base % P::W ? 1 : 0;
  D entry = {};
  for (int k = 0; k < HALF && base + k < VOICES; k++)
    entry[k] = noiseTable[base + k][index[h * HALF + k]];
  noiseOut = __builtin_convertvector(entry, H);

  // The library's SineWave::tick: wrap into the table, interpolate linearly, advance.
  D time = oscTime.get<D>(base);
  while (any(time < 0.0))
    time = time < 0.0 ? time + 2048.0 : time;
  while (any(time >= 2048.0))
    time = time >= 2048.0 ? time - 2048.0 : time;
  const HI at = __builtin_convertvector(time, HI) & 2047; // a NaN time reads entry 0
  const D alpha = time - __builtin_convertvector(at, D);
  D low = {}, high = {};
  for (int k = 0; k < HALF; k++) {
    low[k] = sine[at[k]];
    high[k] = sine[at[k] + 1];
  }
  const D value = low + alpha * (high - low);
  const L sounding = __builtin_convertvector(P::half(on, h), L);
  oscTime.set(base, sounding ? time + oscRate.get<D>(base) : oscTime.get<D>(base));
  oscOut.set(base, sounding ? value : oscOut.get<D>(base));
  sineOut = __builtin_convertvector(value, H);
}

// The first half of ZorvDrum::nextSample for the lanes from `first` on, up to the refresh:
// envelopes, noise, oscillator, crush and counter. True when a lane's refresh is due.
template <class P> inline bool ZorvDrumLanes::sources(int first) {
  typedef typename P::F F;
  typedef typename P::I I;
  typedef typename P::U U;
  typedef typename P::H H;
  constexpr int HALF = P::W / 2;
  for (Envelopes& e : env)
    tickEnvelope<P>(e, first);
  noiseEnvValue.set(first, env[1].value.get<F>(first));
  oscEnvValue.set(first, env[2].value.get<F>(first));
  bendValue.set(first, env[0].value.get<F>(first) * bendDepth.get<F>(first));
  const I noiseIdle = env[1].state.get<I>(first) == Glimber::IDLE;
  const I on = ~(noiseIdle & (env[2].state.get<I>(first) == Glimber::IDLE));
  active.set(first, on);
  if (!any(on)) return false;
  sounded.set(first, sounded.get<I>(first) | on);

  // Noise source: the next entry after period + 1 samples.
  const U count = noiseCounter.get<U>(first) + 1;
  const I step = on & reinterpret_cast<I>(count > noisePeriod.get<U>(first));
  noiseCounter.set(first, on ? (step ? U{} : count) : noiseCounter.get<U>(first));
  const U index = noiseIndex.get<U>(first);
  const U indexAfter = step ? (index + 1) & (Fizzmap::TABLE_LENGTH - 1) : index;
  noiseIndex.set(first, indexAfter);

  H noise0, sine0, noise1 = {}, sine1 = {};
  sourceHalf<P>(first, on, indexAfter, noise0, sine0);
  if (first + HALF < VOICES) sourceHalf<P>(first + HALF, on, indexAfter, noise1, sine1);
  tone.set(first, P::join(sine0, sine1));

  // Crush: the folds of a noise value are kept until the value changes.
  const F w = P::join(noise0, noise1);
  const I crushing = on & ~noiseIdle;
  if (any(crushing & (w != crushInput.get<F>(first)))) {
    const I passes = foldCount.get<I>(first);
    F folded = w;
    for (int pass = 0; pass < maxFolds; pass++) {
      F next = 2.0f * (folded - 0.5f);
      next = next < -1.0f ? F{} - 1.0f : next;
      folded = pass < passes ? next : folded;
    }
    crushInput.set(first, w);
    crushOutput.set(first, folded);
  }
  noise.set(first, crushing ? crushOutput.get<F>(first) : w);

  I counter = sampleCounter.get<I>(first) + 1;
  counter = counter >= ZorvDrum::COUNTER_WRAP ? I{} : counter;
  sampleCounter.set(first, on ? counter : sampleCounter.get<I>(first));
  const I until = untilRefresh.get<I>(first) + on; // one less in a sounding lane
  untilRefresh.set(first, until);
  return any(until == 0);
}

// Random pitch in Hz of the lanes from `base` on, from the pitch noise entries.
template <class P>
inline typename P::H ZorvDrumLanes::randomHalf(int base, const typename P::U& index) {
  typedef typename P::D D;
  constexpr int HALF = P::W / 2;
  const int h = base % P::W ? 1 : 0;
  D entry = {};
  for (int k = 0; k < HALF && base + k < VOICES; k++)
    entry[k] = pitchTable[base + k][index[h * HALF + k]];
  return __builtin_convertvector(4000.0 * entry * cubedRandom.get<D>(base), typename P::H);
}

// The noise and tone parts of the mix of the lanes from `base` on, computed in double.
template <class P>
inline void ZorvDrumLanes::mixHalf(int base, const typename P::F& y, const typename P::F& s,
                                   typename P::H& noiseOut, typename P::H& toneOut) {
  typedef typename P::D D;
  typedef typename P::H H;
  const int h = base % P::W ? 1 : 0;
  const D part = __builtin_convertvector(P::half(y, h), D) * noiseVeloGain.get<D>(base) *
                 amplitude.get<D>(base) * noiseLevel.get<D>(base);
  noiseOut = __builtin_convertvector(part, H);
  const D sine = toneGain.get<D>(base) * __builtin_convertvector(P::half(s, h), D);
  toneOut = __builtin_convertvector(sine, H);
}

// The second half of ZorvDrum::nextSample, after the refresh: pitch noise, the oscillator's
// next rate, filter, mix and limits.
template <class P> inline void ZorvDrumLanes::output(int first) {
  typedef typename P::F F;
  typedef typename P::I I;
  typedef typename P::U U;
  typedef typename P::D D;
  typedef typename P::L L;
  typedef typename P::H H;
  constexpr int HALF = P::W / 2;
  const I on = active.get<I>(first);
  if (!any(on)) {
    lastOut.set(first, F{});
    return;
  }

  const U count = pitchCounter.get<U>(first) + 1;
  const I step = on & reinterpret_cast<I>(count > pitchPeriod.get<U>(first));
  pitchCounter.set(first, on ? (step ? U{} : count) : pitchCounter.get<U>(first));
  const U index = pitchIndex.get<U>(first);
  const U indexAfter = step ? (index + 1) & (Fizzmap::TABLE_LENGTH - 1) : index;
  pitchIndex.set(first, indexAfter);
  H random0 = randomHalf<P>(first, indexAfter), random1 = {};
  if (first + HALF < VOICES) random1 = randomHalf<P>(first + HALF, indexAfter);
  const F toneHz = P::join(random0, random1) + toneBaseHz.get<F>(first) + 15.0f +
                   toneBendHz.get<F>(first) * bendValue.get<F>(first);
  const F lastHz = lastToneHz.get<F>(first);
  const I stale = rateStale.get<I>(first);
  const I retune = on & ((toneHz != lastHz) | stale);
  if (any(retune)) {
    lastToneHz.set(first, retune ? toneHz : lastHz);
    rateStale.set(first, stale & ~retune);
    const double half = sampleRate / 2;
    for (int h = 0; h < 2 && first + h * HALF < VOICES; h++) {
      const int base = first + h * HALF;
      D hz = __builtin_convertvector(P::half(toneHz, h), D);
      hz = hz > half ? D{} + half : hz;
      hz = hz < -half ? D{} - half : hz;
      hz = hz == hz ? hz : D{};
      const L set = __builtin_convertvector(P::half(retune, h), L);
      oscRate.set(base, set ? 2048.0 * hz / sampleRate : oscRate.get<D>(base)); // setFrequency
    }
  }

  const F w = noise.get<F>(first);
  const F x1 = in1.get<F>(first), x2 = in2.get<F>(first);
  const F y1 = out1.get<F>(first), y2 = out2.get<F>(first);
  const F y = a1.get<F>(first) * w + a2.get<F>(first) * x1 + a3.get<F>(first) * x2 -
              b1.get<F>(first) * y1 - b2.get<F>(first) * y2;
  in2.set(first, on ? x1 : x2);
  in1.set(first, on ? w : x1);
  out2.set(first, on ? y1 : y2);
  out1.set(first, on ? y : y1);

  const F s = tone.get<F>(first);
  H noise0, tone0, noise1 = {}, tone1 = {};
  mixHalf<P>(first, y, s, noise0, tone0);
  if (first + HALF < VOICES) mixHalf<P>(first + HALF, y, s, noise1, tone1);
  const F mix = P::join(noise0, noise1) * noiseEnvValue.get<F>(first) +
                P::join(tone0, tone1) * oscEnvValue.get<F>(first);
  F out = mix == mix ? mix : F{}; // NaN from parameters far outside 0 .. 1
  out = out < -1.0f ? F{} - 1.0f : out;
  out = 1.0f < out ? F{} + 1.0f : out;
  lastOut.set(first, on ? out : F{});
}

template <class P> inline float ZorvDrumLanes::nextSample() {
  bool due = sources<P>(0);
  if (P::W == 4) due |= sources<P>(4);
  if (due) refreshLanes();
  output<P>(0);
  if (P::W == 4) output<P>(4);
  float sum = 0.0f;
  for (int v = 0; v < VOICES; v++)
    sum = sum + lastOut[v];
  return sum;
}

template <class P> inline void ZorvDrumLanes::renderFrames(float* out, unsigned int frames) {
  for (unsigned int i = 0; i < frames; i++)
    out[i] = nextSample<P>();
}

} // namespace stk

#undef TAMBREL_LANE_INLINE
#pragma GCC diagnostic pop

#endif
