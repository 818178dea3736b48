// FFTW plans are made once per size, with FFTW_ESTIMATE so that no timing runs at start-up.
#include "Spectrum.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>

namespace stk {

namespace {

// The planner is not thread-safe; the transforms themselves are.
std::mutex plannerMutex;

} // namespace

Spectrum::Spectrum(size_t fftSize) : size(fftSize) {
  std::lock_guard<std::mutex> lock(plannerMutex);
  input = fftw_alloc_real(size);
  fftw_complex* bins = fftw_alloc_complex(size / 2 + 1);
  output = bins;
  plan = fftw_plan_dft_r2c_1d(static_cast<int>(size), input, bins, FFTW_ESTIMATE);
}

Spectrum::~Spectrum() {
  std::lock_guard<std::mutex> lock(plannerMutex);
  fftw_destroy_plan(static_cast<fftw_plan>(plan));
  fftw_free(output);
  fftw_free(input);
}

double Spectrum::hann(size_t n, size_t count) {
  if (count < 2) return 1.0;
  return 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(n) / static_cast<double>(count - 1));
}

std::vector<double> Spectrum::power(const float* samples, size_t count, bool removeMean) {
  if (count > size) count = size;
  double mean = 0;
  if (removeMean && count > 0) {
    for (size_t n = 0; n < count; ++n)
      mean += samples[n];
    mean /= static_cast<double>(count);
  }
  for (size_t n = 0; n < size; ++n)
    input[n] = n < count ? (samples[n] - mean) * hann(n, count) : 0.0;
  fftw_execute(static_cast<fftw_plan>(plan));
  const fftw_complex* bins = static_cast<fftw_complex*>(output);
  std::vector<double> result(size / 2 + 1);
  for (size_t k = 0; k < result.size(); ++k)
    result[k] = bins[k][0] * bins[k][0] + bins[k][1] * bins[k][1];
  return result;
}

} // namespace stk
