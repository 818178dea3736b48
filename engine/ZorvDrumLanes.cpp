// Voice lanes: the choice of path, a render from the voices and back, the SSE2 path.
#include "ZorvDrumLanesOutput.h"

#include "ZorvDrum.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#pragma GCC diagnostic ignored "-Wpsabi" // see ZorvDrumLanes.h

namespace stk {

static_assert(ZorvDrumLanes::NOISE_ENTRIES == Fizzmap::TABLE_LENGTH, "noise table length");
static_assert(ZorvDrumLanes::COUNTER_WRAP == ZorvDrum::COUNTER_WRAP, "counter wrap");
static_assert(ZorvDrumLanes::MAX_FOLDS == ZorvDrum::MAX_FOLDS, "fold passes");

namespace {

bool detectAvx2() {
  __builtin_cpu_init(); // runs before main
  return __builtin_cpu_supports("avx2");
}

const bool cpuHasAvx2 = detectAvx2();
std::atomic<ZorvDrumLanes::Path> chosenPath{ZorvDrumLanes::Path::AUTOMATIC};

} // namespace

ZorvDrumLanes::ZorvDrumLanes() {
  std::memset(static_cast<void*>(this), 0, sizeof *this);
  for (int l = 0; l < LANES; l++) {
    for (Envelopes& e : env) { // the lanes after the voices never sound
      e.state[l] = Glimber::IDLE;
      e.upper[l] = std::numeric_limits<float>::quiet_NaN();
      e.lower[l] = -std::numeric_limits<float>::infinity();
    }
    noiseIdle[l] = -1;
    untilRefresh[l] = ZorvDrum::REFRESH_INTERVAL;
    float half = 0.5f;
    for (Lanes<float>& h : foldHalf) {
      h[l] = half;
      half *= 0.5f;
    }
  }
}

bool ZorvDrumLanes::avx2Supported() {
  return cpuHasAvx2;
}

void ZorvDrumLanes::choosePath(Path path) {
  chosenPath.store(path, std::memory_order_relaxed);
}

// Baseline x86-64: four float or two double lanes a vector. Voices 0 .. 3 fill the lanes; the
// fifth ticks itself, as a vector's work for it alone costs more than its own code.
struct ZorvDrumLanes::Sse2 : Vectors<4> {
  static constexpr int W = 4;
  static constexpr int LANE_VOICES = 4;
  static void tickVoicesBeyond(ZorvDrumLanes& lanes, unsigned int frames) {
    for (unsigned int i = 0; i < frames; i++)
      lanes.voiceSamples[i][4] = lanes.voice[4]->nextSample();
  }
  TAMBREL_LANE_INLINE static bool any(const I& m) { return _mm_movemask_ps(__m128(m)) != 0; }
  TAMBREL_LANE_INLINE static bool any(const L& m) { return _mm_movemask_pd(__m128d(m)) != 0; }
  // (a > b) ? a : b, NaN b passed on
  TAMBREL_LANE_INLINE static F max(const F& a, const F& b) { return F(_mm_max_ps(a, b)); }
  // (a < b) ? a : b
  TAMBREL_LANE_INLINE static F min(const F& a, const F& b) { return F(_mm_min_ps(a, b)); }
  TAMBREL_LANE_INLINE static D max(const D& a, const D& b) { return D(_mm_max_pd(a, b)); }
  TAMBREL_LANE_INLINE static D min(const D& a, const D& b) { return D(_mm_min_pd(a, b)); }
  // m ? a : b, lane by lane, for masks of 0 or -1
  TAMBREL_LANE_INLINE static F select(const I& m, const F& a, const F& b) {
    return F((m & I(a)) | (~m & I(b)));
  }
  TAMBREL_LANE_INLINE static I select(const I& m, const I& a, const I& b) {
    return (m & a) | (~m & b);
  }
  TAMBREL_LANE_INLINE static D select(const L& m, const D& a, const D& b) {
    return D((m & L(a)) | (~m & L(b)));
  }
  // !(a < b): also where either is NaN
  TAMBREL_LANE_INLINE static I notLess(const F& a, const F& b) { return I(_mm_cmpnlt_ps(a, b)); }
  // A lane with d < 0 or d >= 2048, the sine table's length
  TAMBREL_LANE_INLINE static bool anyOutsideTable(const D& d) {
    const __m128d below = _mm_cmplt_pd(d, _mm_setzero_pd());
    const __m128d beyond = _mm_cmpge_pd(d, _mm_set1_pd(2048.0));
    return _mm_movemask_pd(_mm_or_pd(below, beyond)) != 0;
  }
  // Half h of the float lanes in double, and back; a float mask as a double mask.
  TAMBREL_LANE_INLINE static D toDouble(const F& f, int h) {
    return D(_mm_cvtps_pd(h ? _mm_movehl_ps(f, f) : __m128(f)));
  }
  TAMBREL_LANE_INLINE static F toFloat(const D& low, const D& high) {
    return F(_mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
  }
  TAMBREL_LANE_INLINE static D throughFloat(const D& d) { return D(_mm_cvtps_pd(_mm_cvtpd_ps(d))); }
  TAMBREL_LANE_INLINE static D toDouble(const HI& i) { return __builtin_convertvector(i, D); }
  TAMBREL_LANE_INLINE static L wideMask(const I& m, int h) {
    return L(h ? _mm_unpackhi_epi32(__m128i(m), __m128i(m))
               : _mm_unpacklo_epi32(__m128i(m), __m128i(m)));
  }
  // Towards 0; NaN and out of range give INT32_MIN.
  TAMBREL_LANE_INLINE static int32_t truncate(double d) { return _mm_cvttsd_si32(_mm_set_sd(d)); }
  // Entries at and after each position: adjacent pairs, loaded together and separated.
  TAMBREL_LANE_INLINE static void sinePoints(const double* table, const HI& at, D& low, D& high) {
    const __m128d p0 = _mm_loadu_pd(table + uint32_t(at[0]));
    const __m128d p1 = _mm_loadu_pd(table + uint32_t(at[1]));
    low = D(_mm_unpacklo_pd(p0, p1));
    high = D(_mm_unpackhi_pd(p0, p1));
  }
};

void ZorvDrumLanes::render(ZorvDrum* const* voices, double rate, float* out, unsigned int frames) {
  if (frames == 0) return;
  const Path path = chosenPath.load(std::memory_order_relaxed);
  const bool avx2 = cpuHasAvx2 && path != Path::SSE2;
  if (path == Path::AUTOMATIC && !avx2) {
    int sounding = 0; // no voice starts sounding within a block
    for (int l = 0; l < VOICES; l++)
      sounding += voices[l]->noiseEnvelope->state != Glimber::IDLE ||
                  voices[l]->oscEnvelope->state != Glimber::IDLE;
    if (sounding == 1) {
      for (unsigned int i = 0; i < frames; i++) {
        float sum = 0.0f;
        for (int l = 0; l < VOICES; l++)
          sum = sum + voices[l]->nextSample();
        out[i] = sum;
      }
      return;
    }
  }
  sampleRate = rate;
  sine = ToneOscillator::sineTable();
  minFolds = ZorvDrum::MAX_FOLDS;
  maxFolds = 0;
  laneVoices = avx2 ? VOICES : Sse2::LANE_VOICES;
  for (int l = 0; l < VOICES; l++)
    voice[l] = voices[l];
  for (int l = 0; l < laneVoices; l++) {
    loadLane(l);
    minFolds = std::min(minFolds, voice[l]->foldCount);
    maxFolds = std::max(maxFolds, voice[l]->foldCount);
  }
  void (ZorvDrumLanes::*renderPath)(float*, unsigned int) =
      avx2 ? &ZorvDrumLanes::renderAvx2 : &ZorvDrumLanes::renderSse2;
  // A lane that does not sound on the first sample stays silent to the end of the render.
  (this->*renderPath)(out, 1);
  sounded = sounding;
  if (frames > 1) (this->*renderPath)(out + 1, frames - 1);
  for (int l = 0; l < laneVoices; l++)
    storeLane(l);
}

void ZorvDrumLanes::renderSse2(float* out, unsigned int frames) {
  renderFrames<Sse2>(out, frames);
}

} // namespace stk
