// The application test rig.
#include "AppRig.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include <unistd.h>

ScratchDirectory::ScratchDirectory() : previous_(std::filesystem::current_path()) {
  char pattern[] = "/tmp/tambrel-app-XXXXXX";
  EXPECT_TRUE(mkdtemp(pattern) != nullptr && chdir(pattern) == 0);
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::filesystem::current_path(previous_);
  std::filesystem::remove_all(path_);
}

AppRig::AppRig(const std::function<void()>& prepareDirectory) {
  if (prepareDirectory) prepareDirectory();
  stk::Stk::setSampleRate(44100.0);
  time_t second;
  do {
    second = std::time(nullptr);
    kit.reset(new stk::ZorvDrumKit());
    reference.reset(new stk::ZorvDrumKit());
  } while (std::time(nullptr) != second);

  data.kit = kit.get();
  data.midiChannel = 9;
  display.reset(new stk::NovationDisplay(&midiOut, &outbox));
  testing::internal::CaptureStdout(); // the logic's construction lines
  logic.reset(new stk::NovationLogic(display.get(), kit.get(), &data.midiChannel));
  testing::internal::GetCapturedStdout();
  logic->console = &console;
  logic->files = &files;
  data.files = &files;
  data.display = display.get();
  data.logic = logic.get();
  data.outputEnabled = true;
  sent();
  midiOut.clear();
}

AppRig::~AppRig() {
  done = false;
}

void AppRig::queue(Port port, Bytes bytes) {
  if (port == Port::Note)
    notePortMidiCallback(0.0, &bytes, &data);
  else
    ctlPortMidiCallback(0.0, &bytes, &data);
}

void AppRig::apply(Port port, Bytes bytes) {
  queue(port, bytes);
  ASSERT_EQ(data.messageQueue.size(), 1u);
  ASSERT_TRUE(data.messageQueue.pop(data.pendingMessage));
  data.messagePending = true;
  processMessage(&data);
  EXPECT_FALSE(data.messagePending);
}

const std::vector<Bytes>& AppRig::sent() {
  outbox.drainTo(&midiOut);
  return midiOut.messages();
}

void AppRig::printConsole() {
  console.drainTo(stdout);
}

std::vector<std::string> AppRig::texts(int onlyRow) {
  std::vector<std::string> found;
  for (const RecordingMidiOut::Message& m : sent()) {
    // F0 00 20 29 03 03 20 02 01 00 02 01, column, row, 04, text, F7
    if (m.size() < 16 || m[6] != 0x20) continue;
    if (onlyRow != 0 && m[13] != onlyRow) continue;
    found.push_back(std::to_string(m[13]) + "," + std::to_string(m[12]) + ":" +
                    std::string(m.begin() + 15, m.end() - 1));
  }
  midiOut.clear();
  return found;
}

std::vector<double> AppRig::render(stk::ZorvDrumKit& kit, int samples) {
  std::vector<double> out;
  for (int i = 0; i < samples; i++)
    out.push_back(kit.tick());
  return out;
}
