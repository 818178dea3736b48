// What one drum hit measures: level, loudness, pitch, brightness, length and offset from zero.
#ifndef TAMBREL_HITFIGURES_H
#define TAMBREL_HITFIGURES_H

#include <cstddef>
#include <vector>

namespace stk {

class HitFigures {
public:
  // The first sample whose magnitude exceeds this starts the hit; every figure counts from it.
  static constexpr double kOnsetThreshold = 1e-5;
  static constexpr double kEnvelopeSeconds = 0.010;             // the RMS envelope's window
  static constexpr double kPitchFrom = 0.020, kPitchTo = 0.060; // s after the onset
  static constexpr double kPitchFloorHz = 20;
  static constexpr double kBodySeconds = 0.100; // centroid and DC share look at this much
  static constexpr double kFallDb = 40;
  static constexpr size_t kFftSize = 8192;

  bool silent = true;        // no sample above the onset threshold: nothing below is set
  double onsetSeconds = 0;   // s from the start of the signal
  double peakDb = 0;         // dBFS of the largest magnitude
  double loudnessLufs = 0;   // EBU R128 integrated, the signal as one channel; -inf if gated
  double pitchHz = 0;        // the strongest spectral peak above 20 Hz, 20 .. 60 ms in
  double centroidHz = 0;     // power-weighted mean frequency of the first 100 ms, mean removed
  double fallSeconds = 0;    // until the RMS envelope stays 40 dB below its maximum
  bool fallComplete = false; // false: it had not fallen so far when the signal ended
  double dcShare = 0;        // mean / RMS of the first 100 ms (-1 .. 1)

  // All figures of a mono signal at `rate` Hz.
  static HitFigures measure(const std::vector<float>& signal, double rate);

  // Index of the first sample above the onset threshold, or signal.size() when there is none.
  static size_t onset(const std::vector<float>& signal);
  // RMS over a window of `window` samples centred on each sample (zeros outside the signal).
  static std::vector<double> rmsEnvelope(const float* samples, size_t count, size_t window);

private:
  static double loudness(const float* samples, size_t count, double rate);
  static double pitch(const float* samples, size_t count, double rate);
  static double centroid(const float* samples, size_t count, double rate);
  // Seconds until the envelope stays kFallDb below its maximum; sets complete.
  static double fall(const float* samples, size_t count, double rate, bool& complete);
};

} // namespace stk

#endif
