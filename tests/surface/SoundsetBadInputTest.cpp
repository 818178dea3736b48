// Soundset and transfer files of any length and content load without harm: every assignment stays
// within the kit, no value that is not finite reaches it, and playing every slot afterwards only
// touches parameters that exist. Run it under AddressSanitizer and UndefinedBehaviorSanitizer.
#include "SurfaceRig.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

const char kSoundset1[] = "soundset  1.dat";
const char kTransfer[] = "tempSound.dat";

class BadInputTest : public testing::Test {
protected:
  BadInputTest() { rig.takeTexts(); }

  // The value that the 8 bytes at `at` must give, or 0.0 when the file ends before them.
  static double expectedValue(const std::vector<unsigned char>& file, size_t at) {
    if (at + 8 > file.size()) return 0.0;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
      bits |= uint64_t(file[at + i]) << (8 * i);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return std::isfinite(value) ? value : 0.0;
  }

  void expectLoaded(const std::vector<unsigned char>& file) {
    std::vector<double> values = rig.allParams();
    for (size_t i = 0; i < values.size(); ++i)
      ASSERT_EQ(bitsOf(values[i]), bitsOf(expectedValue(file, 128 + 8 * i)))
          << "parameter " << i << " of a " << file.size() << "-byte file";
  }

  void expectSlotsWithinTheKit() {
    for (int slot = 0; slot < 16; ++slot) {
      const stk::ControlAssignment& a = rig.logic->controlAssignment[slot];
      ASSERT_GE(a.drum, 0);
      ASSERT_LT(a.drum, rig.kit.nDrums);
      ASSERT_GE(a.param, 0);
      ASSERT_LT(a.param, rig.kit.getNParamsFor(a.drum));
      ASSERT_GE(rig.logic->controlVal[slot], 0);
      ASSERT_LE(rig.logic->controlVal[slot], 127);
    }
  }

  // Every slot as a value control, then as a selector, then a load through the controller.
  void playEverySlot() {
    testing::internal::CaptureStdout();
    for (int slot = 0; slot < 16; ++slot) {
      rig.logic->midiCC(slot, slot < 8 ? 127 : 100);
      rig.logic->midiCC(24 + slot, 1);
      rig.logic->midiCC(slot, slot < 8 ? 65 : 3);
      rig.logic->midiCC(24 + slot, 0);
    }
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 64; ++i)
      rig.kit.tick();
  }

  SurfaceRig rig;
};

std::vector<unsigned char> randomBytes(std::mt19937& random, size_t size) {
  std::vector<unsigned char> bytes(size);
  for (unsigned char& b : bytes)
    b = static_cast<unsigned char>(random());
  return bytes;
}

TEST_F(BadInputTest, SoundsetFilesOfEveryLength) {
  std::mt19937 random(968);
  std::vector<unsigned char> full = randomBytes(random, 968);
  // Among the random values: NaN, infinities and the largest finite value.
  const uint64_t special[] = {0x7FF8000000000001u, 0x7FF0000000000000u, 0xFFF0000000000000u,
                              0x7FEFFFFFFFFFFFFFu, 0xFFF8000000000000u};
  for (int i = 0; i < 5; ++i)
    for (int b = 0; b < 8; ++b)
      full[128 + 8 * (20 * i + 3) + b] = static_cast<unsigned char>(special[i] >> (8 * b));
  for (size_t length = 0; length <= full.size(); ++length) {
    std::vector<unsigned char> file(full.begin(), full.begin() + length);
    writeBytes(kSoundset1, file);
    rig.logic->loadSoundset();
    expectSlotsWithinTheKit();
    expectLoaded(file);
    if (length % 61 == 0) playEverySlot(); // every few lengths: the event pass on what was loaded
  }
}

TEST_F(BadInputTest, RandomSoundsetFilesThroughTheController) {
  std::mt19937 random(2024);
  for (int round = 0; round < 200; ++round) {
    std::vector<unsigned char> file = randomBytes(random, random() % 1200);
    writeBytes(kSoundset1, file);
    testing::internal::CaptureStdout();
    rig.logic->midiCC(75, 1); // load and refresh, as the load button does
    testing::internal::GetCapturedStdout();
    expectSlotsWithinTheKit();
    if (file.size() > 968) file.resize(968);
    expectLoaded(file);
    playEverySlot();
    expectSlotsWithinTheKit();
  }
}

TEST_F(BadInputTest, OversizedSoundsetFile) {
  std::mt19937 random(7);
  std::vector<unsigned char> file = randomBytes(random, 1 << 20);
  writeBytes(kSoundset1, file);
  rig.logic->loadSoundset();
  expectSlotsWithinTheKit();
  file.resize(968);
  expectLoaded(file);
}

TEST_F(BadInputTest, TransferFilesOfEveryLength) {
  std::mt19937 random(168);
  std::vector<unsigned char> full = randomBytes(random, 200);
  for (size_t length = 0; length <= full.size(); ++length) {
    std::vector<unsigned char> file(full.begin(), full.begin() + length);
    writeBytes(kTransfer, file);
    int drum = static_cast<int>(length % 5);
    testing::internal::CaptureStdout();
    rig.logic->loadDrumParamsFor(drum);
    testing::internal::GetCapturedStdout();
    for (int j = 0; j < 21; ++j)
      ASSERT_EQ(bitsOf(rig.kit.getParam(drum, j)), bitsOf(expectedValue(file, 8 * j)))
          << "length " << length << " parameter " << j;
  }
}

TEST_F(BadInputTest, DirectoriesWhereFilesAreExpected) {
  rig.logic->assign(7, 2, 2);
  std::vector<double> before = rig.allParams();
  ASSERT_EQ(mkdir(kSoundset1, 0755), 0);
  ASSERT_EQ(mkdir(kTransfer, 0755), 0);
  testing::internal::CaptureStdout();
  rig.logic->midiCC(75, 1);
  rig.logic->loadDrumParamsFor(0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(rig.allParams(), before);
  EXPECT_EQ(rig.logic->controlAssignment[7].drum, 2);
}

} // namespace
