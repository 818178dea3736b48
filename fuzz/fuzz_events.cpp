// Fuzzes the control surface with control-change sequences, controller and value 0 .. 255 as a
// malformed message can carry them, checking the slots, the LCD bytes and the sound after each.
#include "FuzzRig.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzRig::enterScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRig rig;
  rig.kit.noteOn(36, 1.0);
  rig.kit.noteOn(46, 0.5);
  for (size_t i = 0; i + 1 < size; i += 2) {
    rig.logic.midiCC(data[i], data[i + 1]);
    rig.checkSlots();
    rig.checkDisplayMessages();
    rig.renderAndCheck(16);
  }
  return 0;
}
