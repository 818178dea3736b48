// The translator's state outside the per-message path.
#include "ControllerTranslator.h"

ControllerTranslator::ControllerTranslator(const ControllerMap& map) : map_(map) {
  reset();
}

void ControllerTranslator::reset() {
  for (int i = 0; i < kMaxBindings; ++i) {
    previous_[i] = -1;
    position_[i] = 0;
    toggled_[i] = false;
  }
}
