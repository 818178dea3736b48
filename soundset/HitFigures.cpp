// The figures of a hit, each over its own stretch after the onset.
#include "HitFigures.h"

#include "Spectrum.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace stk {

namespace {

size_t samplesOf(double seconds, double rate) {
  return static_cast<size_t>(std::lround(seconds * rate));
}

} // namespace

size_t HitFigures::onset(const std::vector<float>& signal) {
  for (size_t n = 0; n < signal.size(); ++n)
    if (std::fabs(signal[n]) > kOnsetThreshold) return n;
  return signal.size();
}

std::vector<double> HitFigures::rmsEnvelope(const float* samples, size_t count, size_t window) {
  std::vector<double> envelope(count);
  if (window == 0) window = 1;
  // A running sum of squares over [n - window / 2, n - window / 2 + window).
  const ptrdiff_t before = static_cast<ptrdiff_t>(window / 2);
  const ptrdiff_t size = static_cast<ptrdiff_t>(count);
  double sum = 0;
  auto square = [&](ptrdiff_t i) {
    return i >= 0 && i < size ? static_cast<double>(samples[i]) * samples[i] : 0.0;
  };
  for (ptrdiff_t i = -before; i < -before + static_cast<ptrdiff_t>(window); ++i)
    sum += square(i);
  for (ptrdiff_t n = 0; n < size; ++n) {
    envelope[n] = std::sqrt(std::max(sum, 0.0) / static_cast<double>(window));
    sum += square(n - before + static_cast<ptrdiff_t>(window)) - square(n - before);
  }
  return envelope;
}

double HitFigures::loudness(const float* samples, size_t count, double rate) {
  std::unique_ptr<ebur128_state, void (*)(ebur128_state*)> state(
      ebur128_init(1, static_cast<unsigned long>(rate), EBUR128_MODE_I),
      [](ebur128_state* s) { ebur128_destroy(&s); });
  double result = -std::numeric_limits<double>::infinity();
  if (!state || ebur128_add_frames_float(state.get(), samples, count) != EBUR128_SUCCESS ||
      ebur128_loudness_global(state.get(), &result) != EBUR128_SUCCESS)
    return -std::numeric_limits<double>::infinity();
  return result;
}

double HitFigures::pitch(const float* samples, size_t count, double rate) {
  size_t from = std::min(samplesOf(kPitchFrom, rate), count);
  size_t to = std::min(samplesOf(kPitchTo, rate), count);
  Spectrum spectrum(kFftSize);
  std::vector<double> power = spectrum.power(samples + from, to - from);
  size_t best = 0;
  for (size_t k = 1; k + 1 < power.size(); ++k)
    if (spectrum.binHz(k, rate) > kPitchFloorHz && (best == 0 || power[k] > power[best])) best = k;
  if (best == 0 || power[best] <= 0) return 0;
  // A parabola through the log powers of the peak and its neighbours places it between bins.
  double left = std::log(std::max(power[best - 1], 1e-300));
  double middle = std::log(power[best]);
  double right = std::log(std::max(power[best + 1], 1e-300));
  double curve = left - 2 * middle + right;
  double shift = curve < 0 ? 0.5 * (left - right) / curve : 0.0;
  return (static_cast<double>(best) + shift) * rate / static_cast<double>(kFftSize);
}

double HitFigures::centroid(const float* samples, size_t count, double rate) {
  Spectrum spectrum(kFftSize);
  std::vector<double> power =
      spectrum.power(samples, std::min(samplesOf(kBodySeconds, rate), count), true);
  double weighted = 0, total = 0;
  for (size_t k = 0; k < power.size(); ++k) {
    weighted += spectrum.binHz(k, rate) * power[k];
    total += power[k];
  }
  return total > 0 ? weighted / total : 0;
}

double HitFigures::fall(const float* samples, size_t count, double rate, bool& complete) {
  std::vector<double> envelope = rmsEnvelope(samples, count, samplesOf(kEnvelopeSeconds, rate));
  double highest = *std::max_element(envelope.begin(), envelope.end());
  double floor = highest * std::pow(10.0, -kFallDb / 20);
  size_t last = 0; // the last sample whose envelope is not yet below the floor
  for (size_t n = 0; n < envelope.size(); ++n)
    if (envelope[n] >= floor) last = n;
  complete = last + 1 < envelope.size();
  return static_cast<double>(last + 1) / rate;
}

HitFigures HitFigures::measure(const std::vector<float>& signal, double rate) {
  HitFigures figures;
  size_t start = onset(signal);
  if (start == signal.size()) return figures;
  figures.silent = false;
  figures.onsetSeconds = static_cast<double>(start) / rate;
  const float* hit = signal.data() + start;
  const size_t count = signal.size() - start;

  float largest = 0;
  for (size_t n = 0; n < count; ++n)
    largest = std::max(largest, std::fabs(hit[n]));
  figures.peakDb = 20 * std::log10(static_cast<double>(largest));
  figures.loudnessLufs = loudness(hit, count, rate);
  figures.pitchHz = pitch(hit, count, rate);
  figures.centroidHz = centroid(hit, count, rate);
  figures.fallSeconds = fall(hit, count, rate, figures.fallComplete);

  size_t body = std::min(samplesOf(kBodySeconds, rate), count);
  double sum = 0, squares = 0;
  for (size_t n = 0; n < body; ++n) {
    sum += hit[n];
    squares += static_cast<double>(hit[n]) * hit[n];
  }
  double rms = std::sqrt(squares / static_cast<double>(body));
  figures.dcShare = rms > 0 ? sum / static_cast<double>(body) / rms : 0;
  return figures;
}

} // namespace stk
