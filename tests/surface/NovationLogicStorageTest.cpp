// Soundset and transfer files: layout byte for byte, round trips bit for bit, short and odd files,
// and saves that fail without harming the file they would replace.
#include "SurfaceRig.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

const char kSoundset1[] = "soundset  1.dat";
const char kTransfer[] = "tempSound.dat";

void putInt32(std::vector<unsigned char>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[at + i] = static_cast<unsigned char>(static_cast<uint32_t>(value) >> (8 * i));
}

void putDouble(std::vector<unsigned char>& bytes, size_t at, double value) {
  uint64_t bits = bitsOf(value);
  for (int i = 0; i < 8; ++i)
    bytes[at + i] = static_cast<unsigned char>(bits >> (8 * i));
}

double odd(int drum, int param) {
  const double values[] = {0.0078125, -0.0, 1e-300, 5e-324, -3.5, 1e300, 0.1, 2.0 / 3.0};
  return values[(drum * 21 + param) % 8] * (1 + drum);
}

double half(int, int) {
  return 0.5;
}

class StorageTest : public testing::Test {
protected:
  StorageTest() { rig.takeTexts(); }
  stk::NovationLogic& logic() { return *rig.logic; }
  SurfaceRig rig;
};

TEST_F(StorageTest, SoundsetFileLayout) {
  logic().soundsetNumber = 3;
  logic().assign(0, 2, 5);
  logic().assign(15, 4, 20);
  rig.kit.setParam(0, 0, 0.5);
  rig.kit.setParam(4, 20, -2.0);
  logic().saveSoundset();
  EXPECT_EQ(ScratchDirectory::entries(), std::vector<std::string>{"soundset  3.dat"});

  std::vector<unsigned char> file = readBytes("soundset  3.dat");
  ASSERT_EQ(file.size(), 968u);
  const std::vector<unsigned char> slot0 = {2, 0, 0, 0, 5, 0, 0, 0};
  const std::vector<unsigned char> slot15 = {4, 0, 0, 0, 20, 0, 0, 0};
  EXPECT_EQ(std::vector<unsigned char>(file.begin(), file.begin() + 8), slot0);
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 120, file.begin() + 128), slot15);
  const std::vector<unsigned char> pointFive = {0, 0, 0, 0, 0, 0, 0xE0, 0x3F};
  const std::vector<unsigned char> minusTwo = {0, 0, 0, 0, 0, 0, 0, 0xC0};
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 128, file.begin() + 136), pointFive);
  EXPECT_EQ(std::vector<unsigned char>(file.begin() + 960, file.end()), minusTwo);
  for (int drum = 0; drum < 5; ++drum)
    for (int param = 0; param < 21; ++param) {
      uint64_t stored = 0;
      for (int i = 0; i < 8; ++i)
        stored |= uint64_t(file[128 + 8 * (21 * drum + param) + i]) << (8 * i);
      EXPECT_EQ(stored, bitsOf(rig.kit.getParam(drum, param))) << drum << " " << param;
    }
}

TEST_F(StorageTest, SaveThenLoadRestoresEverythingBitForBit) {
  rig.setAllParams(odd);
  for (int slot = 0; slot < 16; ++slot)
    logic().assign(slot, slot % 5, (slot * 7) % 21);
  logic().saveSoundset();
  std::vector<double> saved = rig.allParams();

  SurfaceRig other(false); // a fresh kit, in a directory of its own
  std::vector<unsigned char> file = readBytes(rig.directory.path() + "/" + kSoundset1);
  writeBytes(kSoundset1, file);
  other.buildLogic();
  std::vector<double> loaded = other.allParams();
  ASSERT_EQ(loaded.size(), saved.size());
  for (size_t i = 0; i < saved.size(); ++i)
    EXPECT_EQ(bitsOf(loaded[i]), bitsOf(saved[i])) << i;
  for (int slot = 0; slot < 16; ++slot) {
    EXPECT_EQ(other.logic->controlAssignment[slot].drum, slot % 5);
    EXPECT_EQ(other.logic->controlAssignment[slot].param, (slot * 7) % 21);
  }
}

TEST_F(StorageTest, MissingFileChangesNothing) {
  logic().assign(4, 3, 3);
  std::vector<double> before = rig.allParams();
  logic().soundsetNumber = 7;
  logic().loadSoundset();
  EXPECT_EQ(rig.allParams(), before);
  EXPECT_EQ(logic().controlAssignment[4].param, 3);
}

TEST_F(StorageTest, ShortFilesZeroTheMissingValuesAndKeepMissingRecords) {
  std::vector<unsigned char> file(968, 0);
  for (int slot = 0; slot < 16; ++slot) {
    putInt32(file, 8 * slot, 1);
    putInt32(file, 8 * slot + 4, 2);
  }
  for (int i = 0; i < 105; ++i)
    putDouble(file, 128 + 8 * i, 0.25);

  writeBytes(kSoundset1, std::vector<unsigned char>(file.begin(), file.begin() + 128));
  rig.setAllParams(half);
  logic().loadSoundset();
  EXPECT_EQ(logic().controlAssignment[15].drum, 1);
  for (double value : rig.allParams())
    ASSERT_EQ(value, 0.0);

  // Cut inside slot 5's record: slots 0-4 load, 5 and 6 keep theirs.
  logic().assign(0, 0, 0);
  logic().assign(5, 4, 4);
  logic().assign(6, 4, 4);
  writeBytes(kSoundset1, std::vector<unsigned char>(file.begin(), file.begin() + 44));
  logic().loadSoundset();
  EXPECT_EQ(logic().controlAssignment[4].param, 2);
  EXPECT_EQ(logic().controlAssignment[5].drum, 4);
  EXPECT_EQ(logic().controlAssignment[6].drum, 4);

  // Cut inside drum 0's fourth value: three values load, the cut one and the rest are 0.0.
  rig.setAllParams(half);
  writeBytes(kSoundset1, std::vector<unsigned char>(file.begin(), file.begin() + 128 + 28));
  logic().loadSoundset();
  std::vector<double> values = rig.allParams();
  EXPECT_EQ(std::vector<double>(values.begin(), values.begin() + 4),
            (std::vector<double>{0.25, 0.25, 0.25, 0.0}));
  EXPECT_EQ(values[104], 0.0);
}

TEST_F(StorageTest, RecordsOutsideTheKitAreClampedIntoIt) {
  std::vector<unsigned char> file(968, 0);
  const int32_t records[][4] = {
      {7, 30, 4, 20},
      {-3, -1, 0, 0},
      {2, 99, 2, 20},
      {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0, 20},
      {3, 11, 3, 11}};
  for (int i = 0; i < 5; ++i) {
    putInt32(file, 8 * i, records[i][0]);
    putInt32(file, 8 * i + 4, records[i][1]);
  }
  writeBytes(kSoundset1, file);
  logic().loadSoundset();
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(logic().controlAssignment[i].drum, records[i][2]) << i;
    EXPECT_EQ(logic().controlAssignment[i].param, records[i][3]) << i;
  }
  logic().controlVal[0] = 64;
  rig.cc(0, 64); // the clamped slot reaches drum 4's last parameter
  EXPECT_EQ(rig.kit.getParam(4, 20), 0.5);
}

TEST_F(StorageTest, NonFiniteValuesLoadAsZeroAndFiniteOnesAsStored) {
  std::vector<unsigned char> file(968, 0);
  const double stored[] = {std::nan(""),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           1e308,
                           -5.0,
                           5e-324};
  const double expected[] = {0.0, 0.0, 0.0, 1e308, -5.0, 5e-324};
  for (int i = 0; i < 6; ++i)
    putDouble(file, 128 + 8 * (21 * 2 + i), stored[i]);
  writeBytes(kSoundset1, file);
  logic().loadSoundset();
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(bitsOf(rig.kit.getParam(2, i)), bitsOf(expected[i])) << i;

  std::vector<unsigned char> transfer(168, 0);
  putDouble(transfer, 0, std::nan(""));
  putDouble(transfer, 8, 123.0);
  writeBytes(kTransfer, transfer);
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "load 1\n");
  EXPECT_EQ(rig.kit.getParam(1, 0), 0.0);
  EXPECT_EQ(rig.kit.getParam(1, 1), 123.0);
}

TEST_F(StorageTest, PathsThatAreNotRegularFilesCountAsMissing) {
  rig.setAllParams(half);
  logic().assign(0, 3, 3);
  ASSERT_EQ(mkdir(kSoundset1, 0755), 0);
  ASSERT_EQ(mkdir(kTransfer, 0755), 0);
  logic().loadSoundset();
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "load 2\n");
  ASSERT_EQ(rmdir(kSoundset1), 0);
  ASSERT_EQ(symlink("/dev/null", kSoundset1), 0); // a device: reads end at once
  logic().loadSoundset();
  ASSERT_EQ(unlink(kSoundset1), 0);
  ASSERT_EQ(mkfifo(kSoundset1, 0644), 0); // a FIFO without writer must not block the load
  logic().loadSoundset();
  for (double value : rig.allParams())
    ASSERT_EQ(value, 0.5);
  EXPECT_EQ(logic().controlAssignment[0].drum, 3);

  logic().saveSoundset(); // renaming over a FIFO replaces it with the file
  struct stat info;
  ASSERT_EQ(stat(kSoundset1, &info), 0);
  ASSERT_TRUE(S_ISREG(info.st_mode)); // reading a FIFO would block the test
  EXPECT_EQ(info.st_size, 968);
  logic().saveDrumParamsFor(0); // a directory cannot be replaced: it stays, nothing is left over
  ASSERT_EQ(stat(kTransfer, &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
  EXPECT_EQ(ScratchDirectory::entries(), (std::vector<std::string>{kSoundset1, kTransfer}));
}

TEST_F(StorageTest, CopyAndPasteThroughTheTransferFile) {
  rig.setAllParams(odd);
  logic().saveDrumParamsFor(2);
  std::vector<unsigned char> file = readBytes(kTransfer);
  ASSERT_EQ(file.size(), 168u);
  for (int j = 0; j < 21; ++j) {
    uint64_t stored = 0;
    for (int i = 0; i < 8; ++i)
      stored |= uint64_t(file[8 * j + i]) << (8 * i);
    EXPECT_EQ(stored, bitsOf(rig.kit.getParam(2, j)));
  }
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(4);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "load 4\n");
  for (int j = 0; j < 21; ++j)
    EXPECT_EQ(bitsOf(rig.kit.getParam(4, j)), bitsOf(rig.kit.getParam(2, j)));

  std::vector<double> before = rig.allParams();
  logic().saveDrumParamsFor(5);
  logic().saveDrumParamsFor(-1);
  EXPECT_EQ(readBytes(kTransfer), file) << "a copy beyond the kit writes nothing";
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(6);
  logic().loadDrumParamsFor(-2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "load 6\nload -2\n");
  EXPECT_EQ(rig.allParams(), before);

  writeBytes(kTransfer, {});
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(3);
  testing::internal::GetCapturedStdout();
  for (int j = 0; j < 21; ++j)
    EXPECT_EQ(rig.kit.getParam(3, j), 0.0);
}

TEST_F(StorageTest, OversizedFilesLoadTheirFirstBytes) {
  std::vector<unsigned char> file(968 + 5000, 0xFF); // the tail is never read
  std::fill(file.begin(), file.begin() + 968, 0);
  putInt32(file, 0, 1);
  putDouble(file, 960, 0.75);
  writeBytes(kSoundset1, file);
  logic().loadSoundset();
  EXPECT_EQ(logic().controlAssignment[0].drum, 1);
  EXPECT_EQ(rig.kit.getParam(4, 20), 0.75);
}

// Saves that cannot complete: the old file stays byte for byte, and nothing else is left.
class FailingSaveTest : public StorageTest {
protected:
  FailingSaveTest() {
    logic().saveSoundset();
    logic().saveDrumParamsFor(0);
    oldSoundset = readBytes(kSoundset1);
    oldTransfer = readBytes(kTransfer);
    rig.setAllParams(odd);
    logic().assign(3, 4, 4);
  }
  void expectOldFilesKept() {
    EXPECT_EQ(readBytes(kSoundset1), oldSoundset);
    EXPECT_EQ(readBytes(kTransfer), oldTransfer);
  }
  std::vector<unsigned char> oldSoundset, oldTransfer;
};

TEST_F(FailingSaveTest, DirectoryAtTheTemporaryName) {
  ASSERT_EQ(mkdir("soundset  1.dat.tmp", 0755), 0);
  ASSERT_EQ(mkdir("tempSound.dat.tmp", 0755), 0);
  logic().saveSoundset();
  logic().saveDrumParamsFor(0);
  expectOldFilesKept();
  EXPECT_EQ(ScratchDirectory::entries(),
            (std::vector<std::string>{"soundset  1.dat", "soundset  1.dat.tmp", "tempSound.dat",
                                      "tempSound.dat.tmp"}));
}

TEST_F(FailingSaveTest, FileSizeLimitCutsTheWrite) {
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(sigaction(SIGXFSZ, &ignore, &previous), 0);
  struct rlimit limit, saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  limit = saved;
  limit.rlim_cur = 100; // below both files' sizes
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  logic().saveSoundset();
  logic().saveDrumParamsFor(0);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  ASSERT_EQ(sigaction(SIGXFSZ, &previous, nullptr), 0);

  expectOldFilesKept();
  EXPECT_EQ(ScratchDirectory::entries(),
            (std::vector<std::string>{"soundset  1.dat", "tempSound.dat"}));
  logic().saveSoundset(); // the limit lifted, the save goes through
  EXPECT_NE(readBytes(kSoundset1), oldSoundset);
}

TEST_F(FailingSaveTest, WorkingDirectoryRemoved) {
  std::string inner = rig.directory.path() + "/gone";
  ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
  ASSERT_EQ(chdir(inner.c_str()), 0);
  ASSERT_EQ(rmdir(inner.c_str()), 0);
  std::vector<double> before = rig.allParams();
  logic().saveSoundset();
  logic().saveDrumParamsFor(1);
  logic().loadSoundset();
  testing::internal::CaptureStdout();
  logic().loadDrumParamsFor(1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "load 1\n");
  EXPECT_EQ(rig.allParams(), before);
  ASSERT_EQ(chdir(rig.directory.path().c_str()), 0);
  expectOldFilesKept();
  EXPECT_EQ(ScratchDirectory::entries(),
            (std::vector<std::string>{"soundset  1.dat", "tempSound.dat"}));
}

} // namespace
