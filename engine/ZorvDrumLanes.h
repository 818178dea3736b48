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
// code but its own for AVX2. The per-sample code is in ZorvDrumLanesSources.h and
// ZorvDrumLanesOutput.h, which only the two path sources include.
class ZorvDrumLanes {
public:
  static constexpr int VOICES = 5;
  static constexpr int LANES = 8;                 // voices 0 .. 4, then three lanes that stay idle
  static constexpr uint32_t NOISE_ENTRIES = 4096; // Fizzmap::TABLE_LENGTH
  static constexpr int32_t COUNTER_WRAP = 2000000000; // ZorvDrum::COUNTER_WRAP
  static constexpr int MAX_FOLDS = 64;                // ZorvDrum::MAX_FOLDS

  ZorvDrumLanes();
  ZorvDrumLanes(const ZorvDrumLanes&) = delete;
  ZorvDrumLanes& operator=(const ZorvDrumLanes&) = delete;

  // The next `frames` samples of the five voices, each the float sum voice 0 + .. + voice 4 that
  // the voices' own nextSample would give; the voices hold their state again on return. All five
  // run at sampleRate (Hz), the kit's.
  void render(ZorvDrum* const* voices, double sampleRate, float* out, unsigned int frames);

  // AUTOMATIC, the default: AVX2 where the processor has it, else SSE2, where a block in which one
  // voice alone sounds is left to the voices themselves, which are faster then. SSE2 and AVX2
  // always render in lanes on that path (AVX2 only where the processor has it). The choice is
  // process-wide (an atomic, for tests and benchmarks); every path gives the same samples.
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
  // (attack) or falls to `lower` (decay, release). The test per sample, next >= upper or
  // !(lower < next), also passes a NaN value, which ends a release; endStages decides. A stage
  // without an end has upper NaN and lower -inf; a sustained or idle envelope falls by +0, which
  // leaves every value as it is.
  struct Envelopes {
    Lanes<int32_t> state;
    Lanes<float> value, target, fall, upper, lower;
  };

  void renderSse2(float* out, unsigned int frames);
  void renderAvx2(float* out, unsigned int frames);
  template <class P> TAMBREL_LANE_INLINE void renderFrames(float* out, unsigned int frames);
  TAMBREL_LANE_INLINE void sumVoices(float* out, unsigned int frames) const;
  template <class P> TAMBREL_LANE_INLINE void nextSamples(float* samples);
  template <class P> TAMBREL_LANE_INLINE typename P::I tickEnvelope(int k, int first);
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
  // Fall and bounds of envelope k of a lane, from its stage and the voice's envelope g.
  void stepEnvelope(int k, int lane, const Glimber& g);
  // The voice's sampleCounter after the lane's samples since it was loaded.
  int32_t sampleCounterOf(int lane) const;
  // The lane's sounding and noiseIdle masks, from its envelopes' stages.
  void noteStates(int lane);
  // The stages of envelope k that end on this sample, lanes first .. end - 1, as the envelope
  // ends them.
  __attribute__((noinline)) void endStages(int k, int first, int end);
  // The slow settings of the lanes whose refresh falls on this sample, by the voices' own code.
  __attribute__((noinline)) void refreshLanes();

  Envelopes env[3];                               // bend, noise, oscillator
  Lanes<float> bendDepth, toneBaseHz, toneBendHz; // set by the voices' refresh
  Lanes<float> bendValue, noiseEnvValue, oscEnvValue;
  Lanes<float> lastToneHz;  // NaN in a lane whose rate was set at another sample rate
  Lanes<int32_t> rateStale; // so, when loaded; a sounding lane sets the rate on its first sample
  // Noise hold periods and counters are unsigned, kept with their top bit flipped (x ^ 2^31), so
  // that the signed compare of the lanes orders them as unsigned.
  static constexpr int32_t UNSIGNED_BIAS = INT32_MIN;
  Lanes<int32_t> sounding, noiseIdle; // masks of the envelopes' states, set as they change
  Lanes<int32_t> noisePeriod, noiseCounter;
  Lanes<uint32_t> noiseIndex;
  Lanes<float> rawNoise, foldedNoise;         // the current noise entry as a float, and its folds
  Lanes<float> nextRawNoise, nextFoldedNoise; // the same of the entry after
  Lanes<int32_t> pitchPeriod, pitchCounter;
  Lanes<uint32_t> pitchIndex;
  Lanes<float> randomHz;                  // from the current pitch noise entry
  Lanes<double> oscTime, oscRate, oscOut; // the oscillator's read position and rate in entries
  Lanes<int32_t> foldCount;
  // Sounding samples to the next refresh; the voices' counters follow from the samples since
  // each was loaded.
  Lanes<int32_t> untilRefresh;
  int32_t loadedCounter[VOICES], loadedUntil[VOICES];
  Lanes<int32_t> sounded; // the lane sounded on the first sample of this render, so ticked
  Lanes<double> cubedRandom, noiseVeloGain, toneGain, amplitude, noiseLevel;
  Lanes<float> a1, a2, a3, b1, b2, in1, in2, out1, out2; // the filters' coefficients, histories
  Lanes<float> lastOut; // the voices' samples at the end of the last chunk, not within one
  static constexpr unsigned int CHUNK = 64;
  alignas(32) float voiceSamples[CHUNK][LANES];
  Lanes<float> foldHalf[MAX_FOLDS]; // 2^-(pass + 1) in every lane
  int minFolds, maxFolds;           // the fewest and the most passes of any voice
  double sampleRate;                // Hz, during this render
  const double* sine;               // the oscillators' sine table, 2048 entries and the first again
  int laneVoices; // voices 0 .. laneVoices - 1 are in the lanes during this render
  const double* noiseTable[LANES];
  const double* pitchTable[LANES];
  ZorvDrum* voice[VOICES];
};

} // namespace stk

#pragma GCC diagnostic pop

#endif
