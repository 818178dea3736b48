// Voice lanes, the second half of a frame and the frames of a block: pitch, filter and mix.
#ifndef TAMBREL_ZORVDRUMLANESOUTPUT_H
#define TAMBREL_ZORVDRUMLANESOUTPUT_H

#include "ZorvDrumLanesSources.h"

#include <xmmintrin.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi" // see ZorvDrumLanes.h

namespace stk {

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

  const I count = I(U(pitchCounter.get<I>(first)) - U(on)); // one more in a sounding lane
  const I step = on & (count > pitchPeriod.get<I>(first));
  pitchCounter.set(first, P::select(step, I{} + UNSIGNED_BIAS, count));
  if (P::any(step)) {
    const U index = pitchIndex.get<U>(first);
    const U indexAfter = (index - U(step)) & (NOISE_ENTRIES - 1); // one on where it steps
    pitchIndex.set(first, indexAfter);
    D high = {};
    if (first + HALF < VOICES) high = randomHalf<P>(first + HALF, indexAfter);
    randomHz.set(first, P::toFloat(randomHalf<P>(first, indexAfter), high));
  }
  const F toneHz = randomHz.get<F>(first) + toneBaseHz.get<F>(first) + 15.0f +
                   toneBendHz.get<F>(first) * bendValue.get<F>(first);
  const F lastHz = lastToneHz.get<F>(first);
  const I retune = on & (toneHz != lastHz);
  if (P::any(retune)) {
    lastToneHz.set(first, P::select(retune, toneHz, lastHz));
    const double half = sampleRate / 2;
    for (int h = 0; h < 2 && first + h * HALF < VOICES; h++) {
      const int base = first + h * HALF;
      D hz = P::toDouble(toneHz, h);
      hz = P::min(D{} + half, hz); // hz > half ? half : hz
      hz = P::max(D{} - half, hz); // hz < -half ? -half : hz
      hz = hz == hz ? hz : D{};
      const L set = P::wideMask(retune, h);
      oscRate.set(base,
                  P::select(set, 2048.0 * hz / sampleRate, oscRate.get<D>(base))); // setFrequency
    }
  }

  const F x1 = in1.get<F>(first), x2 = in2.get<F>(first);
  const F y1 = out1.get<F>(first), y2 = out2.get<F>(first);
  const F y = a1.get<F>(first) * w + a2.get<F>(first) * x1 + a3.get<F>(first) * x2 -
              b1.get<F>(first) * y1 - b2.get<F>(first) * y2;
  in2.set(first, P::select(on, x1, x2));
  in1.set(first, P::select(on, w, x1));
  out2.set(first, P::select(on, y1, y2));
  out1.set(first, P::select(on, y, y1));

  D noise0, tone0, noise1 = {}, tone1 = {};
  mixHalf<P>(first, y, s[0], noise0, tone0);
  if (first + HALF < VOICES) mixHalf<P>(first + HALF, y, s[1], noise1, tone1);
  const F mix = P::toFloat(noise0, noise1) * noiseEnvValue.get<F>(first) +
                P::toFloat(tone0, tone1) * oscEnvValue.get<F>(first);
  F out = mix == mix ? mix : F{}; // NaN from parameters far outside 0 .. 1
  out = P::max(F{} - 1.0f, out);  // std::max(out, -1.0f)
  out = P::min(F{} + 1.0f, out);  // std::min(out, 1.0f)
  const F sample = P::select(on, out, F{});
  std::memcpy(samples + first, &sample, sizeof sample);
}

template <class P> inline void ZorvDrumLanes::nextSamples(float* samples) {
  typename P::I on;
  typename P::F noise;
  typename P::D tone[2];
  if (sources<P>(0, on, noise, tone)) refreshLanes();
  output<P>(0, on, noise, tone, samples);
}

// The voices' samples of up to CHUNK frames are kept and summed after them, so that no sample
// waits for the sum of the one before. The voices beyond the path's lanes tick themselves.
template <class P> inline void ZorvDrumLanes::renderFrames(float* out, unsigned int frames) {
  for (unsigned int done = 0; done < frames;) {
    const unsigned int chunk = frames - done < CHUNK ? frames - done : CHUNK;
    for (unsigned int i = 0; i < chunk; i++)
      nextSamples<P>(voiceSamples[i]);
    if (P::LANE_VOICES < VOICES) P::tickVoicesBeyond(*this, chunk);
    std::memcpy(lastOut.at, voiceSamples[chunk - 1], sizeof lastOut.at);
    sumVoices(out + done, chunk);
    done += chunk;
  }
}

// Each frame's v0 + v1 + v2 + v3 + v4 in that order, four frames at a time: their first four
// lanes turned into one vector per voice, and the fifth lanes gathered into another.
inline void ZorvDrumLanes::sumVoices(float* out, unsigned int frames) const {
  static_assert(VOICES == 5, "four voices turned, the fifth gathered");
  unsigned int i = 0;
  for (; i + 4 <= frames; i += 4) {
    const float(*row)[LANES] = &voiceSamples[i];
    __m128 v0 = _mm_load_ps(row[0]), v1 = _mm_load_ps(row[1]);
    __m128 v2 = _mm_load_ps(row[2]), v3 = _mm_load_ps(row[3]);
    _MM_TRANSPOSE4_PS(v0, v1, v2, v3);
    const __m128 v4 =
        _mm_movelh_ps(_mm_unpacklo_ps(_mm_load_ps(row[0] + 4), _mm_load_ps(row[1] + 4)),
                      _mm_unpacklo_ps(_mm_load_ps(row[2] + 4), _mm_load_ps(row[3] + 4)));
    __m128 sum = _mm_add_ps(_mm_setzero_ps(), v0); // 0 + -0 is +0, as the sum from 0 gives
    sum = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(sum, v1), v2), v3), v4);
    _mm_storeu_ps(out + i, sum);
  }
  for (; i < frames; i++) {
    float sum = 0.0f;
    for (int v = 0; v < VOICES; v++)
      sum = sum + voiceSamples[i][v];
    out[i] = sum;
  }
}

} // namespace stk

#pragma GCC diagnostic pop

#endif
