// A kit, a recording MIDI output, the display and the logic, working in a fresh directory.
#ifndef TAMBREL_TESTS_SURFACE_SURFACERIG_H
#define TAMBREL_TESTS_SURFACE_SURFACERIG_H

#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"
#include "support/RecordingMidiOut.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Makes a fresh temporary directory the working directory; goes back and removes it at the end.
class ScratchDirectory {
public:
  ScratchDirectory();
  ~ScratchDirectory();
  const std::string& path() const { return path_; }
  // Names of the entries of the working directory, sorted.
  static std::vector<std::string> entries();

private:
  std::string previous_;
  std::string path_;
};

// One LCD text request as the controller receives it.
struct LcdText {
  int row;
  int column;
  std::string text;
  bool operator==(const LcdText& other) const {
    return row == other.row && column == other.column && text == other.text;
  }
};

std::vector<unsigned char> readBytes(const std::string& name);
void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes);
uint64_t bitsOf(double value);

class SurfaceRig {
public:
  // Writes nothing before the logic is built: it loads soundset 1 if a test left one.
  explicit SurfaceRig(bool buildLogic = true);
  ~SurfaceRig();

  // Builds the logic; returns what its construction printed.
  std::string buildLogic();
  // Sends one control change; returns what the logic printed.
  std::string cc(int controller, int value);
  // The LCD text requests sent since the last call, decoded from the recorded messages.
  std::vector<LcdText> takeTexts();
  // Every parameter of every drum, drum 0 first.
  std::vector<double> allParams();
  void setAllParams(double (*valueFor)(int drum, int param));

  ScratchDirectory directory;
  stk::ZorvDrumKit kit;
  RecordingMidiOut midiOut;
  int channel = 9;
  stk::NovationDisplay display;
  std::unique_ptr<stk::NovationLogic> logic;
};

#endif
