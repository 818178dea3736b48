// Sets the floating-point mode the engine is exact in for one scope, and gives the host's back.
#ifndef TAMBREL_FLOATMODEGUARD_H
#define TAMBREL_FLOATMODEGUARD_H

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace plugin {

// Hosts may run plugins with flush-to-zero and denormals-are-zero on, or another rounding mode;
// the drums' samples are defined with IEEE defaults: round to nearest, subnormals kept, every
// exception masked.
class FloatModeGuard {
public:
#if defined(__SSE__)
  static constexpr unsigned kIeeeDefault = 0x1F80; // all exceptions masked, nearest, no FTZ/DAZ
  FloatModeGuard() : host_(_mm_getcsr()) {
    if (host_ != kIeeeDefault) _mm_setcsr(kIeeeDefault);
  }
  ~FloatModeGuard() {
    if (host_ != kIeeeDefault) _mm_setcsr(host_);
  }

private:
  unsigned host_;
#else
  FloatModeGuard() {}
#endif

public:
  FloatModeGuard(const FloatModeGuard&) = delete;
  FloatModeGuard& operator=(const FloatModeGuard&) = delete;
};

} // namespace plugin

#endif
