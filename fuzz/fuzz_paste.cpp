// Fuzzes Paste with any transfer-file contents, into every drum.
#include "FuzzRig.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzRig::enterScratchDirectory();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRig::writeFile("tempSound.dat", data, size);
  FuzzRig rig;
  rig.kit.noteOn(36, 1.0);
  rig.logic.midiCC(87, 1); // Paste down
  for (int column = 0; column < 8; ++column) {
    rig.logic.midiCC(40 + column, 1);
    rig.logic.midiCC(40 + column, 0);
    rig.kit.noteOn(rig.kit.drumNotes[column % rig.kit.nDrums], 1.0);
    rig.checkSlots();
    rig.checkDisplayMessages();
    rig.renderAndCheck(450); // past one refresh of every sounding voice
  }
  rig.logic.midiCC(87, 0);
  return 0;
}
