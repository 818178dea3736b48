// Parameter and slot names: the parameters' from the parameter table the voices and LCD use.
#include "ParameterNames.h"

#include "ParameterTable.h"

#include <vector>

namespace stk {

const std::string& ParameterNames::parameter(int param) {
  static const std::vector<std::string> names(
      ParameterTable::shortNames(), ParameterTable::shortNames() + ParameterTable::kCount);
  return names.at(param);
}

int ParameterNames::parameterIndex(const std::string& name) {
  return ParameterTable::indexOfShortName(name.c_str());
}

std::string ParameterNames::slot(int slot) {
  return (slot < 8 ? "encoder " : "pot ") + std::to_string(slot % 8 + 1);
}

int ParameterNames::slotIndex(const std::string& name) {
  for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot)
    if (ParameterNames::slot(slot) == name) return slot;
  return -1;
}

bool ParameterNames::withinKit(const ControlAssignment& assignment) {
  return assignment.drum >= 0 && assignment.drum < SoundsetFormat::kDrums &&
         assignment.param >= 0 && assignment.param < SoundsetFormat::kParams;
}

std::string ParameterNames::assignment(const ControlAssignment& assignment) {
  std::string drum = "drum " + std::to_string(assignment.drum);
  if (withinKit(assignment)) return drum + " " + parameter(assignment.param);
  return drum + " parameter " + std::to_string(assignment.param) + " (outside the kit)";
}

} // namespace stk
