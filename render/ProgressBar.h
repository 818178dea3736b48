// The render's progress on a terminal: audio time, percent, speed as a multiple of real time.
#ifndef TAMBREL_PROGRESSBAR_H
#define TAMBREL_PROGRESSBAR_H

#include <chrono>
#include <cstdint>
#include <cstdio>

class ProgressBar {
public:
  // Shows nothing unless `enabled`, and nothing before the render has taken kDelay.
  ProgressBar(bool enabled, std::FILE* out, uint64_t rate);
  // Clears the line, so that an error reported after it starts on a clean line.
  ~ProgressBar() { finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  static constexpr std::chrono::milliseconds kDelay{500};
  static constexpr std::chrono::milliseconds kInterval{100}; // between redraws

  // `frames` of at most `total` rendered.
  void update(uint64_t frames, uint64_t total);
  // Clears the bar's line, if one was drawn.
  void finish();

private:
  const bool enabled_;
  std::FILE* const out_;
  const uint64_t rate_;
  const std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDrawn_;
  bool drawn_ = false;
};

#endif
