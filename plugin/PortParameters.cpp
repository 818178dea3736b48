// Parameter ports: change detection by bits, and the rule that keeps the exact doubles.
#include "PortParameters.h"

#include "ZorvDrumKit.h"

#include <cmath>
#include <cstring>

namespace plugin {

namespace {

uint32_t bitsOf(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// No port holds this NaN at first, so every connected port is looked at on the first run.
constexpr uint32_t kNeverSeen = 0x7FC0DEADu;

} // namespace

PortParameters::PortParameters() {
  for (int i = 0; i < kParamPorts; i++) {
    ports_[i] = nullptr;
    seen_[i] = kNeverSeen;
  }
}

bool PortParameters::overrides(float port, double current) {
  if (port == static_cast<float>(current)) return false;
  // NaN on either side: different, and taken (the voices play any value).
  return !(std::fabs(static_cast<double>(port) - current) <= kTolerance);
}

void PortParameters::apply(stk::ZorvDrumKit& kit) {
  for (int i = 0; i < kParamPorts; i++) {
    if (!ports_[i]) continue;
    const float value = *ports_[i];
    const uint32_t bits = bitsOf(value);
    if (bits == seen_[i]) continue;
    seen_[i] = bits;
    if (noteOnly_) continue;
    const int drum = i / kParamsPerDrum, param = i % kParamsPerDrum;
    if (overrides(value, kit.getParam(drum, param))) kit.setParam(drum, param, value);
  }
  noteOnly_ = false;
}

} // namespace plugin
