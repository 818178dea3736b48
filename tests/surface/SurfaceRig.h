// A kit, a recording MIDI output, the display and the logic, in a fresh working directory.
#ifndef TAMBREL_TESTS_SURFACE_SURFACERIG_H
#define TAMBREL_TESTS_SURFACE_SURFACERIG_H

#include "NovationDisplay.h"
#include "NovationLogic.h"
#include "ZorvDrumKit.h"
#include "support/RecordingMidiOut.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

inline std::vector<unsigned char> readBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
  std::ofstream(name, std::ios::binary).write((const char*)bytes.data(), bytes.size());
}

inline uint64_t bitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// What a call printed on standard output.
template <class Call> std::string printedBy(Call call) {
  testing::internal::CaptureStdout();
  call();
  return testing::internal::GetCapturedStdout();
}

struct ScratchDirectory {
  ScratchDirectory() : previous(std::filesystem::current_path()) {
    char pattern[] = "/tmp/tambrel-surface-XXXXXX";
    EXPECT_TRUE(mkdtemp(pattern) && chdir(pattern) == 0);
    path = pattern;
  }
  ~ScratchDirectory() {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(path);
  }
  std::string previous, path;
};

struct SurfaceRig {
  explicit SurfaceRig(bool buildNow = true) {
    if (buildNow) build();
  }
  void build() {
    printed = printedBy([&] { logic.reset(new stk::NovationLogic(&display, &kit, &channel)); });
  }
  std::string cc(int controller, int value) {
    return printedBy([&] { logic->midiCC(controller, value); });
  }
  // LCD texts sent since the last call, as "row,column:text".
  std::vector<std::string> texts() {
    std::vector<std::string> found;
    for (const RecordingMidiOut::Message& m : midiOut.messages())
      if (m.size() >= 16 && m[6] == 0x20) // F0 00 20 29 03 03 20 02 01 00 02 01 col row 04
        found.push_back(std::to_string(m[13]) + "," + std::to_string(m[12]) + ":" +
                        std::string(m.begin() + 15, m.end() - 1));
    midiOut.clear();
    return found;
  }
  std::vector<double> params() {
    std::vector<double> values;
    for (int i = 0; i < 105; ++i)
      values.push_back(kit.getParam(i / 21, i % 21));
    return values;
  }

  ScratchDirectory directory;
  stk::ZorvDrumKit kit;
  RecordingMidiOut midiOut;
  int channel = 9;
  stk::NovationDisplay display{&midiOut};
  std::unique_ptr<stk::NovationLogic> logic;
  std::string printed;
};

#endif
