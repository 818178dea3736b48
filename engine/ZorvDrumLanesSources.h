// Voice lanes, the first half of a frame: envelopes, noise, crush, oscillator and counters.
#ifndef TAMBREL_ZORVDRUMLANESSOURCES_H
#define TAMBREL_ZORVDRUMLANESSOURCES_H

#include "ZorvDrumLanes.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi" // see ZorvDrumLanes.h

namespace stk {

// The next value of envelope k in the lanes from `first` on; the lanes that may end its stage.
template <class P> inline typename P::I ZorvDrumLanes::tickEnvelope(int k, int first) {
  typedef typename P::F F;
  Envelopes& e = env[k];
  const F next = e.value.get<F>(first) - e.fall.get<F>(first);
  e.value.set(first, next);
  return (next >= e.upper.get<F>(first)) | P::notLess(e.lower.get<F>(first), next);
}

// The sine of the lanes from `base` on, half a float vector's worth, as floats.
template <class P> inline typename P::D ZorvDrumLanes::sineHalf(int base, const typename P::I& on) {
  typedef typename P::D D;
  typedef typename P::L L;
  typedef typename P::HI HI;
  const int h = base % P::W ? 1 : 0;
  // ToneOscillator::tick: wrap into the table, interpolate linearly, advance.
  D time = oscTime.get<D>(base);
  if (P::anyOutsideTable(time)) { // once a cycle, or when the rate turns back
    while (P::any(L(time < 0.0)))
      time = time < 0.0 ? time + 2048.0 : time;
    while (P::any(L(time >= 2048.0)))
      time = time >= 2048.0 ? time - 2048.0 : time;
  }
  const HI at = __builtin_convertvector(time, HI) & 2047; // a NaN time reads entry 0
  const D alpha = time - P::toDouble(at);
  D low, high;
  P::sinePoints(sine, at, low, high);
  const D value = low + alpha * (high - low);
  const L ticks = P::wideMask(on, h);
  oscTime.set(base, P::select(ticks, time + oscRate.get<D>(base), oscTime.get<D>(base)));
  oscOut.set(base, P::select(ticks, value, oscOut.get<D>(base)));
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
  if (sounding[lane]) {
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
  const I ends = tickEnvelope<P>(0, first) | tickEnvelope<P>(1, first) | tickEnvelope<P>(2, first);
  if (P::any(ends)) // rare: each envelope's own test tells which stages end
    for (int k = 0; k < 3; k++)
      endStages(k, first, first + P::W);
  noiseEnvValue.set(first, env[1].value.get<F>(first));
  oscEnvValue.set(first, env[2].value.get<F>(first));
  bendValue.set(first, env[0].value.get<F>(first) * bendDepth.get<F>(first));
  on = sounding.get<I>(first);
  if (!P::any(on)) return false;

  // Noise source: the next entry after period + 1 samples, folded as it arrives.
  const I count = I(U(noiseCounter.get<I>(first)) - U(on)); // one more in a sounding lane
  const I step = on & (count > noisePeriod.get<I>(first));
  noiseCounter.set(first, P::select(step, I{} + UNSIGNED_BIAS, count));
  if (P::any(step)) {
    const U index = noiseIndex.get<U>(first);
    const U indexAfter = (index - U(step)) & (NOISE_ENTRIES - 1); // one on where it steps
    noiseIndex.set(first, indexAfter);
    rawNoise.set(first, P::select(step, nextRawNoise.get<F>(first), rawNoise.get<F>(first)));
    foldedNoise.set(first,
                    P::select(step, nextFoldedNoise.get<F>(first), foldedNoise.get<F>(first)));
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
    int pass = 0;
    for (; pass + 1 < minFolds; pass += 2) // two at a time: the count varies, the order does not
      t = t - foldHalf[pass].get<F>(first) - foldHalf[pass + 1].get<F>(first);
    if (pass < minFolds) t = t - foldHalf[pass++].get<F>(first);
    for (; pass < maxFolds; pass++)
      t = pass < passes ? t - foldHalf[pass].get<F>(first) : t;
    const F scale = reinterpret_cast<F>((passes + 127) << 23); // 2^passes
    F folded = P::max(F{} - 1.0f, scale * t);
    folded = passes == 0 ? w : folded;
    nextRawNoise.set(first, w);
    nextFoldedNoise.set(first, folded);
  }
  noise = P::select(noiseIdle.get<I>(first), rawNoise.get<F>(first), foldedNoise.get<F>(first));

  // The sine as the float the voice keeps of it, in double for the tone gain.
  for (int h = 0; h < 2; h++) {
    const int base = first + h * HALF;
    if (base == VOICES - 1)
      tone[h] = D{static_cast<float>(sineOne<P>(base))};
    else
      tone[h] = base < VOICES ? P::throughFloat(sineHalf<P>(base, on)) : D{};
  }

  const I until = untilRefresh.get<I>(first) + on; // one less in a sounding lane
  untilRefresh.set(first, until);
  return P::any(until == 0);
}

} // namespace stk

#pragma GCC diagnostic pop

#endif
