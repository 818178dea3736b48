// The application's record with a kit, a display on a recording output and a logic, run in a
// scratch working directory; beside it a reference kit that sounds alike note for note.
#ifndef TAMBREL_TESTS_APP_APPRIG_H
#define TAMBREL_TESTS_APP_APPRIG_H

#include "ConsoleLines.h"
#include "DisplayOutbox.h"
#include "FileWorker.h"
#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"
#include "support/RecordingMidiOut.h"
#include "tambrel.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh temporary working directory for the soundset files, removed afterwards.
class ScratchDirectory {
public:
  ScratchDirectory();
  ~ScratchDirectory();

private:
  std::string previous_, path_;
};

enum class Port { Note, Control };

class AppRig {
public:
  // prepareDirectory runs in the scratch working directory before the logic loads soundset 1.
  explicit AppRig(const std::function<void()>& prepareDirectory = {});
  ~AppRig();

  // Through the port's callback into the queue, then out of it and applied as tick would.
  void apply(Port port, Bytes bytes);
  // Through the port's callback into the queue only.
  void queue(Port port, Bytes bytes);

  // LCD texts sent since the last call, as "row,column:text"; with onlyRow, that row's only.
  std::vector<std::string> texts(int onlyRow = 0);
  // Every display message sent since the last clear, once the outbox has been emptied.
  const std::vector<Bytes>& sent();
  // The console lines queued so far, written to standard output.
  void printConsole();
  // The next samples of a kit.
  static std::vector<double> render(stk::ZorvDrumKit& kit, int samples);

  ScratchDirectory directory;
  // Both kits' noise tables come from the clock's second: they are built within one second.
  std::unique_ptr<stk::ZorvDrumKit> kit, reference;
  RecordingMidiOut midiOut;
  // As in the program: display messages, console lines and file work leave the audio thread
  // through these; the tests empty them (or start their threads) themselves.
  stk::DisplayOutbox outbox;
  stk::ConsoleLines console;
  stk::FileWorker files{""};
  std::unique_ptr<stk::NovationDisplay> display;
  std::unique_ptr<stk::NovationLogic> logic;
  TickData data;
};

#endif
