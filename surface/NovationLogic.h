// Turns the controller's control changes into kit edits, LCD feedback and soundset storage.
#ifndef TAMBREL_NOVATIONLOGIC_H
#define TAMBREL_NOVATIONLOGIC_H

#include "SoundsetFormat.h"

#include <string>

namespace stk {

class NovationDisplay;
class ZorvDrumKit;

class NovationLogic {
public:
  // Loads soundset 1 from `directory` ("" is the working directory) and draws the LCD.
  NovationLogic(NovationDisplay* display, ZorvDrumKit* kit, int* channel,
                const std::string& directory = "");
  ~NovationLogic();

  // The one entry point for control changes of the control port; controller and value 0 .. 127.
  void midiCC(int controller, int value);

  void updateControlStates(int controller, int value);
  void handleLogic(int controller, int value);
  void handleLogicEnc();
  void handleLogicPot();
  void handleLogicSli();
  void handleEdgeBtnDisp(int controller, int value);
  void refreshEntireDisplay();
  void initControlStates();
  void initControlAssignmentsAndVals();
  void assign(int slot, int drum, int param);
  void tweakSlot(int slot);

  // Storage: soundset files and the one-drum transfer file.
  void saveSoundset();
  void loadSoundset();
  void saveDrumParamsFor(int drum);
  void loadDrumParamsFor(int drum);
  void handleSoundsetAndChannel(int controller, int value);

  static constexpr int kSlots = 16;

  bool buttonState[128];
  int encoderDelta[8];
  int potPosition[8];
  int potLastPosition[8];
  int drumStep;   // -1, 0 or +1
  int selectStep; // -1, 0 or +1
  NovationDisplay* display;
  ZorvDrumKit* kit;
  int* channel; // the note channel, 0 .. 15
  ControlAssignment controlAssignment[kSlots];
  int controlVal[kSlots]; // 0 .. 127; the parameter value is controlVal / 128
  int soundsetNumber;     // 0 .. 9
  std::string directory;  // where the soundset and transfer files live; "" is the working one

private:
  std::string soundsetPath() const;
  std::string transferPath() const;
  // Writes a slot's drum number and parameter name into its cell of row 1 or row 3.
  void showSlot(int row, int cell, int drum, int param);
  void showSoundsetNumber();
  // Stores a stepped assignment and saves the soundset when it differs from the old one.
  void storeSteppedAssignment(int slot, int drum, int param);
  // A value 0 .. 126 from rand(), given to the slot's parameter as value / 128.
  void randomizeSlot(int slot);
};

} // namespace stk

#endif
