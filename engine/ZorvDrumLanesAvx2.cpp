// Voice lanes on AVX2: eight float or four double lanes a vector; this source alone is compiled
// for AVX2 and runs only where the processor has it.
#include "ZorvDrumLanesOutput.h"

#include <immintrin.h>

namespace stk {

struct ZorvDrumLanes::Avx2 : Vectors<8> {
  static constexpr int W = 8;
  static constexpr int LANE_VOICES = 5;
  static void tickVoicesBeyond(ZorvDrumLanes&, unsigned int) {}
  TAMBREL_LANE_INLINE static bool any(const I& m) {
    return !_mm256_testz_si256(__m256i(m), __m256i(m));
  }
  TAMBREL_LANE_INLINE static bool any(const L& m) {
    return !_mm256_testz_si256(__m256i(m), __m256i(m));
  }
  // (a > b) ? a : b, NaN b passed on
  TAMBREL_LANE_INLINE static F max(const F& a, const F& b) { return F(_mm256_max_ps(a, b)); }
  // (a < b) ? a : b
  TAMBREL_LANE_INLINE static F min(const F& a, const F& b) { return F(_mm256_min_ps(a, b)); }
  TAMBREL_LANE_INLINE static D max(const D& a, const D& b) { return D(_mm256_max_pd(a, b)); }
  TAMBREL_LANE_INLINE static D min(const D& a, const D& b) { return D(_mm256_min_pd(a, b)); }
  // m ? a : b, lane by lane, for masks of 0 or -1
  TAMBREL_LANE_INLINE static F select(const I& m, const F& a, const F& b) {
    return F(_mm256_blendv_ps(__m256(b), __m256(a), __m256(m)));
  }
  TAMBREL_LANE_INLINE static I select(const I& m, const I& a, const I& b) {
    return I(_mm256_blendv_epi8(__m256i(b), __m256i(a), __m256i(m)));
  }
  TAMBREL_LANE_INLINE static D select(const L& m, const D& a, const D& b) {
    return D(_mm256_blendv_pd(__m256d(b), __m256d(a), __m256d(m)));
  }
  // !(a < b): also where either is NaN
  TAMBREL_LANE_INLINE static I notLess(const F& a, const F& b) {
    return I(_mm256_cmp_ps(a, b, _CMP_NLT_UQ));
  }
  // A lane with d < 0 or d >= 2048, the sine table's length
  TAMBREL_LANE_INLINE static bool anyOutsideTable(const D& d) {
    const __m256d below = _mm256_cmp_pd(d, _mm256_setzero_pd(), _CMP_LT_OQ);
    const __m256d beyond = _mm256_cmp_pd(d, _mm256_set1_pd(2048.0), _CMP_GE_OQ);
    return _mm256_movemask_pd(_mm256_or_pd(below, beyond)) != 0;
  }
  // Half h of the float lanes in double, and back; a float mask as a double mask.
  TAMBREL_LANE_INLINE static D toDouble(const F& f, int h) {
    return D(_mm256_cvtps_pd(h ? _mm256_extractf128_ps(f, 1) : _mm256_castps256_ps128(f)));
  }
  TAMBREL_LANE_INLINE static F toFloat(const D& low, const D& high) {
    return F(_mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)),
                                  _mm256_cvtpd_ps(high), 1));
  }
  TAMBREL_LANE_INLINE static D throughFloat(const D& d) {
    return D(_mm256_cvtps_pd(_mm256_cvtpd_ps(d)));
  }
  TAMBREL_LANE_INLINE static D toDouble(const HI& i) { return D(_mm256_cvtepi32_pd(__m128i(i))); }
  TAMBREL_LANE_INLINE static L wideMask(const I& m, int h) {
    return L(_mm256_cvtepi32_epi64(h ? _mm256_extracti128_si256(__m256i(m), 1)
                                     : _mm256_castsi256_si128(__m256i(m))));
  }
  // Towards 0; NaN and out of range give INT32_MIN.
  TAMBREL_LANE_INLINE static int32_t truncate(double d) { return _mm_cvttsd_si32(_mm_set_sd(d)); }
  // Entries at and after each position: adjacent pairs, loaded together and separated.
  TAMBREL_LANE_INLINE static void sinePoints(const double* table, const HI& at, D& low, D& high) {
    const __m256d even =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(table + uint32_t(at[0]))),
                             _mm_loadu_pd(table + uint32_t(at[2])), 1);
    const __m256d odd =
        _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_loadu_pd(table + uint32_t(at[1]))),
                             _mm_loadu_pd(table + uint32_t(at[3])), 1);
    low = D(_mm256_unpacklo_pd(even, odd));
    high = D(_mm256_unpackhi_pd(even, odd));
  }
};

void ZorvDrumLanes::renderAvx2(float* out, unsigned int frames) {
  renderFrames<Avx2>(out, frames);
}

} // namespace stk
