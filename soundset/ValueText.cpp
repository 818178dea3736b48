// Exact, reversible text for doubles, finite or not.
#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace stk {

namespace {

const uint64_t kQuietNan = 0x7ff8000000000000ull;
const uint64_t kSignBit = 0x8000000000000000ull;
const char kNanBitsPrefix[] = "nan:0x";

} // namespace

uint64_t ValueText::bits(double value) {
  uint64_t result;
  std::memcpy(&result, &value, sizeof result);
  return result;
}

double ValueText::fromBits(uint64_t bits) {
  double result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

std::string ValueText::exact(double value) {
  if (!std::isfinite(value)) return nonFinite(value);
  char text[64];
  std::to_chars_result end = std::to_chars(text, text + sizeof text, value);
  return std::string(text, end.ptr);
}

int ValueText::controlStep(double value) {
  if (!(value > 0 && value < 1)) return -1;
  double steps = value * 128; // exact: scaling by a power of two
  if (steps != std::floor(steps)) return -1;
  return static_cast<int>(steps);
}

std::string ValueText::shown(double value) {
  int step = controlStep(value);
  if (step < 0) return exact(value);
  return exact(value) + " (" + std::to_string(step) + "/128)";
}

std::string ValueText::nonFinite(double value) {
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  uint64_t valueBits = bits(value);
  if (valueBits == kQuietNan) return "nan";
  if (valueBits == (kQuietNan | kSignBit)) return "-nan";
  char text[32];
  std::snprintf(text, sizeof text, "%s%016llx", kNanBitsPrefix,
                static_cast<unsigned long long>(valueBits));
  return text;
}

bool ValueText::parseNonFinite(const std::string& text, double& value) {
  if (text == "inf" || text == "-inf") {
    value = text[0] == '-' ? -HUGE_VAL : HUGE_VAL;
    return true;
  }
  if (text == "nan" || text == "-nan") {
    value = fromBits(text[0] == '-' ? kQuietNan | kSignBit : kQuietNan);
    return true;
  }
  size_t prefix = sizeof kNanBitsPrefix - 1;
  if (text.size() != prefix + 16 || text.compare(0, prefix, kNanBitsPrefix) != 0) return false;
  uint64_t valueBits = 0;
  const char* digits = text.data() + prefix;
  std::from_chars_result end = std::from_chars(digits, digits + 16, valueBits, 16);
  if (end.ec != std::errc() || end.ptr != digits + 16) return false;
  value = fromBits(valueBits);
  return std::isnan(value);
}

} // namespace stk
