// Fuzzes the soundset load with any file contents of any length, then plays every slot.
#include "FuzzRig.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzRig::enterScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRig::writeFile("soundset  1.dat", data, size);
  FuzzRig rig; // loads soundset 1 as the program does at start
  rig.checkSlots();
  rig.checkDisplayMessages();
  rig.kit.noteOn(36, 1.0);
  rig.kit.noteOn(38, 1.0);
  for (int slot = 0; slot < stk::NovationLogic::kSlots; ++slot) {
    rig.logic.midiCC(slot, slot < 8 ? 127 : 100); // value control: sets the parameter
    rig.logic.midiCC(24 + slot, 1);               // assign button down: the slot's selector
    rig.logic.midiCC(slot, slot < 8 ? 65 : 64);
    rig.logic.midiCC(24 + slot, 0);
    rig.checkSlots();
    rig.checkDisplayMessages();
    rig.renderAndCheck(64);
  }
  rig.logic.midiCC(75, 1); // load again, with the refresh
  rig.checkSlots();
  rig.checkDisplayMessages();
  rig.renderAndCheck(400);
  return 0;
}
