// Power spectra of Hann-windowed stretches of a signal, through FFTW, zero-padded to a fixed size.
#ifndef TAMBREL_SPECTRUM_H
#define TAMBREL_SPECTRUM_H

#include <cstddef>
#include <vector>

namespace stk {

class Spectrum {
public:
  // fftSize: the transform's length in samples (the window is zero-padded to it).
  explicit Spectrum(size_t fftSize);
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;
  ~Spectrum();

  size_t fftSize() const { return size; }
  // Hz of bin k at the given sample rate.
  double binHz(size_t bin, double rate) const { return bin * rate / size; }

  // |X[k]|^2 for k = 0 .. fftSize / 2 of samples[0 .. count) times a Hann window of `count`
  // points (count <= fftSize); with removeMean, the stretch's mean is taken off first.
  std::vector<double> power(const float* samples, size_t count, bool removeMean = false);

  // The symmetric Hann window's weight of point n of count (0 .. 1).
  static double hann(size_t n, size_t count);

private:
  size_t size;
  double* input;
  void* output; // fftw_complex[size / 2 + 1]
  void* plan;   // fftw_plan
};

} // namespace stk

#endif
