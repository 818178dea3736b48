// Random numbers for the control surface's Rand button, owned by their user: no lock, no global.
#ifndef TAMBREL_RANDOMSOURCE_H
#define TAMBREL_RANDOMSOURCE_H

#include <cstdint>

namespace stk {

// xorshift64* (Vigna): the top 31 bits of each output, uniform over 0 .. 2^31 - 1, the range
// of the C library's rand() here.
class RandomSource {
public:
  explicit RandomSource(uint64_t seed = 1) { reseed(seed); }
  void reseed(uint64_t seed) { state_ = seed != 0 ? seed : 0x9E3779B97F4A7C15ull; }

  // 0 .. 2^31 - 1.
  int32_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<int32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 33);
  }

  // next() / 2^31: 0 .. 1, never 1.
  double unit() { return next() * (1.0 / 2147483648.0); }

private:
  uint64_t state_;
};

} // namespace stk

#endif
