// Parameter names taken from a drum voice, so that the tool and the controller's LCD agree.
#include "ParameterNames.h"

#include "ZorvDrum.h"

#include <vector>

namespace stk {

namespace {

const std::vector<std::string>& names() {
  static const std::vector<std::string> table = [] {
    ZorvDrum voice(1); // any seed: only the names are wanted, not the clock
    std::vector<std::string> found;
    for (int param = 0; param < SoundsetFormat::kParams; ++param)
      found.push_back(voice.getParamName(param));
    return found;
  }();
  return table;
}

} // namespace

const std::string& ParameterNames::parameter(int param) {
  return names().at(param);
}

int ParameterNames::parameterIndex(const std::string& name) {
  for (int param = 0; param < SoundsetFormat::kParams; ++param)
    if (names()[param] == name) return param;
  return -1;
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
