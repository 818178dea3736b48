// Parameter values as text: the shortest decimal that reads back as the same double, the
// controller's n/128 steps, and names for values that are not finite.
#ifndef TAMBREL_VALUETEXT_H
#define TAMBREL_VALUETEXT_H

#include <cstdint>
#include <string>

namespace stk {

class ValueText {
public:
  // Finite: the shortest decimal that reads back as the same double ("0.5", "-0", "5e-324").
  // Not finite: nonFinite().
  static std::string exact(double value);
  // exact(), followed by " (n/128)" when the value is one a control sets: n/128, n = 1 .. 127.
  static std::string shown(double value);
  // n with value == n / 128 and 1 <= n <= 127, or -1.
  static int controlStep(double value);

  // "inf", "-inf", "nan" (bits 0x7ff8000000000000, the usual quiet NaN), "-nan" (the same with
  // the sign set, what x86 arithmetic makes) and, for any other NaN, "nan:0x" with the 16 hex
  // digits of its bits, so that every NaN keeps its sign and payload.
  static std::string nonFinite(double value);
  // The inverse of nonFinite(); false for any other text (hex digits in either case accepted).
  static bool parseNonFinite(const std::string& text, double& value);

  static uint64_t bits(double value);
  static double fromBits(uint64_t bits);
  static bool sameBits(double a, double b) { return bits(a) == bits(b); }
};

} // namespace stk

#endif
