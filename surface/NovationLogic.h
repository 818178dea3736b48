// Turns the controller's control changes into kit edits, LCD feedback and soundset storage.
#ifndef TAMBREL_NOVATIONLOGIC_H
#define TAMBREL_NOVATIONLOGIC_H

#include "RandomSource.h"
#include "SoundsetFormat.h"

#include <string>

namespace stk {

class ConsoleLines;
class FileWorker;
class NovationDisplay;
class ZorvDrumKit;
struct FileRequest;
struct FileResult;

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

  // With a file worker attached, saves are handed to it and a Load or Paste asks it for the
  // file: the event pass then stops at that point until completeRead() gives the file's
  // content, and the caller holds back further events meanwhile. Without one, files are read
  // and written at once, as at construction.
  bool awaitingRead() const { return awaiting != kAwaitNothing; }
  void completeRead(const FileResult& result);

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
  // Where lines go: a console ring (the audio thread never waits for the terminal), else stdout.
  ConsoleLines* console = nullptr;
  FileWorker* files = nullptr;
  RandomSource random; // the Rand button's draws; seeded from the clock at construction

private:
  enum Awaiting { kAwaitNothing, kAwaitSoundset, kAwaitTransfer };

  // A save through the file worker, or at once without one.
  void submit(const FileRequest& request);
  void printLine(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The steps of the event pass after the whole-drum actions.
  void finishPass(int controller, int value);
  // The pass's Paste and Load: through the file worker when there is one.
  void pasteDrum(int drum);
  void loadAndRefresh();
  void applySoundset(const unsigned char* bytes, size_t size);
  void applyTransfer(int drum, const unsigned char* bytes, size_t size);
  // One event of the refresh: its line and what it draws, without any edit.
  void redrawFor(int controller, int value);
  void showSoundsetAndChannel(int value);
  std::string soundsetPath() const;
  std::string transferPath() const;
  // Writes a slot's drum number and parameter name into its cell of row 1 or row 3.
  void showSlot(int row, int cell, int drum, int param);
  void showSoundsetNumber();
  // Stores a stepped assignment and saves the soundset when it differs from the old one.
  void storeSteppedAssignment(int slot, int drum, int param);
  // A value 0 .. 126 from the random source, given to the slot's parameter as value / 128.
  void randomizeSlot(int slot);

  Awaiting awaiting = kAwaitNothing;
  int resumeController = 0, resumeValue = 0; // the event whose pass a Paste interrupted
};

} // namespace stk

#endif
