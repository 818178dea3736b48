// The surface test rig: scratch directories, file helpers and decoding of LCD messages.
#include "SurfaceRig.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

ScratchDirectory::ScratchDirectory() {
  char buffer[4096];
  if (getcwd(buffer, sizeof buffer)) previous_ = buffer;
  char pattern[] = "/tmp/tambrel-surface-XXXXXX";
  if (!mkdtemp(pattern) || chdir(pattern) != 0) ADD_FAILURE() << "no scratch directory";
  path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  if (chdir(previous_.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous_;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ScratchDirectory::entries() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(".", error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<unsigned char> readBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  ASSERT_TRUE(out.good()) << "cannot write " << name;
}

uint64_t bitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

SurfaceRig::SurfaceRig(bool build) : display(&midiOut) {
  midiOut.clear();
  if (build) buildLogic();
}

SurfaceRig::~SurfaceRig() = default;

std::string SurfaceRig::buildLogic() {
  testing::internal::CaptureStdout();
  logic.reset(new stk::NovationLogic(&display, &kit, &channel));
  return testing::internal::GetCapturedStdout();
}

std::string SurfaceRig::cc(int controller, int value) {
  testing::internal::CaptureStdout();
  logic->midiCC(controller, value);
  return testing::internal::GetCapturedStdout();
}

std::vector<LcdText> SurfaceRig::takeTexts() {
  // F0 00 20 29 03 03 20 02 01 00 02 01, column, row, 04, text, F7
  static const unsigned char header[] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03,
                                         0x20, 0x02, 0x01, 0x00, 0x02, 0x01};
  std::vector<LcdText> texts;
  for (const RecordingMidiOut::Message& m : midiOut.messages()) {
    if (m.size() < 16 || !std::equal(std::begin(header), std::end(header), m.begin())) continue;
    EXPECT_EQ(m[14], 0x04);
    EXPECT_EQ(m.back(), 0xF7);
    texts.push_back(LcdText{m[13], m[12], std::string(m.begin() + 15, m.end() - 1)});
  }
  midiOut.clear();
  return texts;
}

std::vector<double> SurfaceRig::allParams() {
  std::vector<double> values;
  for (int drum = 0; drum < kit.nDrums; ++drum)
    for (int param = 0; param < kit.getNParamsFor(drum); ++param)
      values.push_back(kit.getParam(drum, param));
  return values;
}

void SurfaceRig::setAllParams(double (*valueFor)(int drum, int param)) {
  for (int drum = 0; drum < kit.nDrums; ++drum)
    for (int param = 0; param < kit.getNParamsFor(drum); ++param)
      kit.setParam(drum, param, valueFor(drum, param));
}
