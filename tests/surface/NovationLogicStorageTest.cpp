// Soundset and transfer files: layout, round trips, bad files of any kind, and saves that fail
// without harming the file they would replace.
#include "SurfaceRig.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

namespace {

using Bytes = std::vector<unsigned char>;
const char kSoundset[] = "soundset  1.dat";
const char kTransfer[] = "tempSound.dat";

void put(Bytes& bytes, size_t at, uint64_t value, int size) {
  for (int i = 0; i < size; ++i)
    bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// The value the 8 bytes at `at` must load as: 0.0 when cut off or not a finite number.
double loadedValue(const Bytes& file, size_t at) {
  double value = 0.0;
  if (at + 8 <= file.size()) std::memcpy(&value, &file[at], 8);
  return std::isfinite(value) ? value : 0.0;
}

struct StorageTest : testing::Test {
  void fillParams() {
    const double odd[] = {0.0078125, -0.0, 1e-300, 5e-324, -3.5, 1e300, 0.1, 2.0 / 3.0};
    for (int i = 0; i < 105; ++i)
      rig.kit.setParam(i / 21, i % 21, odd[i % 8] * (1 + i));
  }
  // Loads `file` as soundset 1 over slots assigned to drum 2, parameter 2, and checks the result:
  // whole records clamped into the kit, cut records kept, values as loadedValue says.
  void expectLoads(const Bytes& file) {
    for (int slot = 0; slot < 16; ++slot)
      logic.assign(slot, 2, 2);
    writeBytes(kSoundset, file);
    logic.loadSoundset();
    for (int slot = 0; slot < 16; ++slot) {
      int32_t drum = 2, param = 2;
      if (8 * slot + 8u <= file.size()) {
        std::memcpy(&drum, &file[8 * slot], 4), std::memcpy(&param, &file[8 * slot + 4], 4);
        drum = std::clamp(drum, 0, 4), param = std::clamp(param, 0, 20);
      }
      ASSERT_EQ(logic.controlAssignment[slot].drum, drum) << slot << " of " << file.size();
      ASSERT_EQ(logic.controlAssignment[slot].param, param) << slot << " of " << file.size();
    }
    for (int i = 0; i < 105; ++i)
      ASSERT_EQ(bitsOf(rig.kit.getParam(i / 21, i % 21)), bitsOf(loadedValue(file, 128 + 8 * i)))
          << "parameter " << i << " of a " << file.size() << "-byte file";
  }
  SurfaceRig rig;
  stk::NovationLogic& logic = *rig.logic;
};

TEST_F(StorageTest, SaveWritesTheLayoutAndLoadRestoresItBitForBit) {
  fillParams();
  rig.kit.setParam(0, 0, 0.5);
  for (int slot = 0; slot < 16; ++slot)
    logic.assign(slot, slot % 5, slot + 5);
  logic.soundsetNumber = 3;
  logic.saveSoundset();
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1) << "no temporary";
  Bytes file = readBytes("soundset  3.dat");
  ASSERT_EQ(file.size(), 968u);
  EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 16), (Bytes{1, 0, 0, 0, 6, 0, 0, 0}));
  EXPECT_EQ(Bytes(file.begin() + 128, file.begin() + 136), (Bytes{0, 0, 0, 0, 0, 0, 0xE0, 0x3F}));
  std::vector<double> saved = rig.params();

  SurfaceRig fresh(false); // a new kit in a directory of its own, loading at construction
  writeBytes(kSoundset, file);
  fresh.build();
  for (int i = 0; i < 105; ++i)
    EXPECT_EQ(bitsOf(fresh.params()[i]), bitsOf(saved[i])) << i;
  EXPECT_EQ(fresh.logic->controlAssignment[14].drum, 4);
  EXPECT_EQ(fresh.logic->controlAssignment[14].param, 19);
}

TEST_F(StorageTest, BadSoundsetFilesOfEveryLengthAndContentLoadWithinTheKit) {
  Bytes full(968);
  std::mt19937 random(968);
  std::generate(full.begin(), full.end(), std::ref(random));
  put(full, 0, 7, 4), put(full, 4, 30, 4);            // drum and parameter beyond the kit
  put(full, 8, 0x80000000u, 4), put(full, 12, -1, 4); // below it
  put(full, 16, 3, 4), put(full, 20, 11, 4);
  const double stored[] = {NAN, INFINITY, -INFINITY, 1e308, -5.0};
  for (int i = 0; i < 5; ++i)
    put(full, 128 + 8 * (20 * i + 1), bitsOf(stored[i]), 8);
  for (size_t length = 0; length <= full.size(); ++length)
    expectLoads(Bytes(full.begin(), full.begin() + length));
  EXPECT_EQ(rig.kit.getParam(0, 1), 0.0);    // NaN
  EXPECT_EQ(rig.kit.getParam(2, 19), 1e308); // finite values load as stored

  for (int round = 0; round < 60; ++round) {
    Bytes file(random() % (round == 59 ? 1 << 20 : 1200)); // the last one oversized
    std::generate(file.begin(), file.end(), std::ref(random));
    writeBytes(kSoundset, file);
    printedBy([&] {
      logic.midiCC(75, 1); // load and refresh, then play every slot as value and selector
      for (int slot = 0; slot < 16; ++slot)
        logic.midiCC(slot, 70), logic.midiCC(24 + slot, 1), logic.midiCC(slot, 3);
    });
    file.resize(std::min<size_t>(file.size(), 968));
    expectLoads(file);
    for (int i = 0; i < 64; ++i)
      rig.kit.tick();
  }
}

TEST_F(StorageTest, CopyAndPasteCarryOneDrumThroughTheTransferFile) {
  fillParams();
  logic.saveDrumParamsFor(2);
  Bytes file = readBytes(kTransfer);
  ASSERT_EQ(file.size(), 168u);
  for (int j = 0; j < 21; ++j)
    EXPECT_EQ(bitsOf(loadedValue(file, 8 * j)), bitsOf(rig.kit.getParam(2, j)));
  logic.saveDrumParamsFor(5);
  EXPECT_EQ(readBytes(kTransfer), file) << "a copy beyond the kit writes nothing";
  std::string printed = printedBy([&] {
    logic.loadDrumParamsFor(4);
    logic.loadDrumParamsFor(6);
    writeBytes(kTransfer, Bytes(12, 0xFF)); // one NaN, then cut inside the second value
    logic.loadDrumParamsFor(0);
  });
  EXPECT_EQ(printed, "load 4\nload 6\nload 0\n");
  for (int j = 0; j < 21; ++j) {
    EXPECT_EQ(bitsOf(rig.kit.getParam(4, j)), bitsOf(rig.kit.getParam(2, j)));
    EXPECT_EQ(rig.kit.getParam(0, j), 0.0);
  }
}

// A directory, a device or a FIFO at a file's name counts as a file that cannot be opened.
TEST_F(StorageTest, PathsThatAreNoRegularFileChangeNothing) {
  fillParams();
  std::vector<double> before = rig.params();
  ASSERT_EQ(mkdir(kTransfer, 0755), 0);
  printedBy([&] { logic.loadDrumParamsFor(1); });
  ASSERT_EQ(mkdir(kSoundset, 0755), 0);
  logic.loadSoundset();
  ASSERT_EQ(rmdir(kSoundset), 0);
  ASSERT_EQ(symlink("/dev/null", kSoundset), 0);
  logic.loadSoundset();
  ASSERT_EQ(unlink(kSoundset), 0);
  ASSERT_EQ(mkfifo(kSoundset, 0644), 0); // with no writer: the load must not block
  logic.loadSoundset();
  EXPECT_EQ(rig.params(), before);
}

// Saves that cannot complete leave the old files byte for byte and nothing else behind.
TEST_F(StorageTest, FailedSavesKeepTheOldFiles) {
  logic.saveSoundset();
  logic.saveDrumParamsFor(0);
  Bytes oldSoundset = readBytes(kSoundset), oldTransfer = readBytes(kTransfer);
  fillParams();
  auto save = [&] { logic.saveSoundset(), logic.saveDrumParamsFor(0); };
  auto expectOldFiles = [&](const char* how, long entries) {
    EXPECT_EQ(readBytes(kSoundset), oldSoundset) << how;
    EXPECT_EQ(readBytes(kTransfer), oldTransfer) << how;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), entries) << how;
  };

  ASSERT_EQ(mkdir("soundset  1.dat.tmp", 0755), 0);
  ASSERT_EQ(mkdir("tempSound.dat.tmp", 0755), 0);
  save();
  expectOldFiles("a directory at the temporary name", 4);
  std::filesystem::remove("soundset  1.dat.tmp"), std::filesystem::remove("tempSound.dat.tmp");

  signal(SIGXFSZ, SIG_IGN);
  rlimit saved, limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  limit = saved;
  limit.rlim_cur = 100; // below both files' sizes
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  save();
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  expectOldFiles("a file size limit", 2);

  std::string gone = rig.directory.path + "/gone";
  ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
  ASSERT_EQ(chdir(gone.c_str()), 0);
  ASSERT_EQ(rmdir(gone.c_str()), 0);
  save();
  ASSERT_EQ(chdir(rig.directory.path.c_str()), 0);
  expectOldFiles("an unlinked working directory", 2);
}

} // namespace
