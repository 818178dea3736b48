// Progress line on standard error, redrawn in place with a carriage return.
#include "ProgressBar.h"

#include <algorithm>

ProgressBar::ProgressBar(bool enabled, std::FILE* out, uint64_t rate)
    : enabled_(enabled), out_(out), rate_(rate), start_(std::chrono::steady_clock::now()) {}

void ProgressBar::update(uint64_t frames, uint64_t total) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < kDelay || (drawn_ && now - lastDrawn_ < kInterval)) return;
  lastDrawn_ = now;
  drawn_ = true;
  const double audio = static_cast<double>(frames) / rate_;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  const double fraction = total ? std::min(1.0, static_cast<double>(frames) / total) : 1.0;
  const int width = 30;
  const int filled = static_cast<int>(fraction * width);
  char bar[width + 1];
  for (int i = 0; i < width; ++i)
    bar[i] = i < filled ? '#' : '.';
  bar[width] = '\0';
  std::fprintf(out_, "\r[%s] %8.1f s %3d%% %6.0fx real time", bar, audio,
               static_cast<int>(fraction * 100), audio / elapsed);
  std::fflush(out_);
}

void ProgressBar::finish() {
  if (!drawn_) return;
  std::fprintf(out_, "\r%*s\r", 70, "");
  std::fflush(out_);
  drawn_ = false;
}
