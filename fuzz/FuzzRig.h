// A whole control chain for fuzzing: kit, recording display output, display driver and logic,
// with the checks every fuzz target makes after each step.
#ifndef TAMBREL_FUZZ_FUZZRIG_H
#define TAMBREL_FUZZ_FUZZRIG_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "RecordingMidiOut.h"
#include "ZorvDrumKit.h"

class FuzzRig {
public:
  // Builds a fresh kit, display and logic; the logic loads soundset 1 from the working directory.
  FuzzRig();
  ~FuzzRig();

  // Work in a private scratch directory and keep the logic's progress lines off the terminal.
  static void enterScratchDirectory();
  static void writeFile(const char* name, const uint8_t* data, size_t size);

  // Aborts unless every slot's assignment lies within the kit and every slot value in 0 .. 127.
  void checkSlots();
  // Aborts if a System Exclusive message sent since the last check carries a byte of 0x80 or
  // above between F0 and F7.
  void checkDisplayMessages();
  // Renders frames of the kit; aborts unless every voice sample lies within -1 .. 1.
  void renderAndCheck(int frames);

  stk::ZorvDrumKit kit;
  RecordingMidiOut& midiOut; // one for the process: opening its back end is slow
  int channel = 9;
  stk::NovationDisplay display;
  stk::NovationLogic logic;
};

#endif
