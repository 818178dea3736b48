// Parameter ports (32-bit floats) over the kit's exact doubles: which port values to take.
#ifndef TAMBREL_PORTPARAMETERS_H
#define TAMBREL_PORTPARAMETERS_H

#include "PluginLayout.h"

#include <cstdint>

namespace stk {
class ZorvDrumKit;
}

namespace plugin {

// The kit's double is the truth. A port's value is taken only when the host has changed it since
// the last look, and it is not merely the float of the current double (or within 2e-8 of it):
// hosts save ports as decimal text with 8 places, read back what they saved, or write back what
// they read, and none of that may round away a soundset's exact values.
class PortParameters {
public:
  // Greater than every rounding a float or 8 decimal places make near 0 .. 1 (float step at 1:
  // 6e-8, half of it 3e-8; 8 places: 5e-9), smaller than the 1/128 steps of the controller.
  static constexpr double kTolerance = 2e-8;

  PortParameters();

  void connect(int index, const float* port) { ports_[index] = port; }

  // Takes the ports that changed since the last call into the kit; allocates nothing.
  void apply(stk::ZorvDrumKit& kit);
  // After a restore: the next look only notes the ports' values. A host may restore its ports
  // before or after the plugin's state, or not at all, and a port still holding an older value
  // must not override what the state restored.
  void noteOnly() { noteOnly_ = true; }

  // Whether a port value moved to `port` should replace `current`.
  static bool overrides(float port, double current);

private:
  const float* ports_[kParamPorts];
  uint32_t seen_[kParamPorts]; // bits of the value each port had at the last look
  bool noteOnly_ = false;
};

} // namespace plugin

#endif
