// Names of the drums' 21 parameters (as the voice gives them) and of the 16 control slots.
#ifndef TAMBREL_PARAMETERNAMES_H
#define TAMBREL_PARAMETERNAMES_H

#include "SoundsetFormat.h"

#include <string>

namespace stk {

class ParameterNames {
public:
  // Parameter 0 .. 20, e.g. "NFrq".
  static const std::string& parameter(int param);
  // The index of a parameter name, or -1.
  static int parameterIndex(const std::string& name);

  // Slot 0 .. 7 is "encoder 1" .. "encoder 8", slot 8 .. 15 "pot 1" .. "pot 8".
  static std::string slot(int slot);
  // The slot of such a name, or -1.
  static int slotIndex(const std::string& name);

  static bool withinKit(const ControlAssignment& assignment);
  // "drum 2 NFrq", or for a record outside the kit "drum 7 parameter 99 (outside the kit)".
  static std::string assignment(const ControlAssignment& assignment);
};

} // namespace stk

#endif
