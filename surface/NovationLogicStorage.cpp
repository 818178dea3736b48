// Soundset and transfer files, and the stepping of the note channel and the soundset number.
//
// A soundset file holds the 16 slot assignments (two little-endian 32-bit integers each, drum
// then parameter) followed by every parameter of every drum as little-endian IEEE doubles, drum 0
// first: 968 bytes for 5 drums of 21 parameters. The transfer file holds one drum's parameters.
#include "NovationLogic.h"

#include "NovationDisplay.h"
#include "ZorvDrumKit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace stk {

namespace {

const char kTransferFileName[] = "tempSound.dat";
// Saves go to this suffix first and are renamed over the real file once complete.
const char kTemporarySuffix[] = ".tmp";
const size_t kRecordSize = 8; // one assignment record or one parameter value

std::string soundsetFileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "soundset%3d.dat", number);
  return name;
}

// Little-endian bytes of a 32-bit integer or an IEEE double, whatever the host's byte order.
template <typename Value, typename Bits>
void appendLittleEndian(std::vector<unsigned char>& bytes, Value value) {
  static_assert(sizeof(Value) == sizeof(Bits), "same width");
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t i = 0; i < sizeof bits; ++i)
    bytes.push_back(static_cast<unsigned char>(bits >> (8 * i)));
}

template <typename Value, typename Bits> Value readLittleEndian(const unsigned char* bytes) {
  static_assert(sizeof(Value) == sizeof(Bits), "same width");
  Bits bits = 0;
  for (size_t i = 0; i < sizeof bits; ++i)
    bits |= static_cast<Bits>(bytes[i]) << (8 * i);
  Value value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void appendInt32(std::vector<unsigned char>& bytes, int32_t value) {
  appendLittleEndian<int32_t, uint32_t>(bytes, value);
}
void appendDouble(std::vector<unsigned char>& bytes, double value) {
  appendLittleEndian<double, uint64_t>(bytes, value);
}
int32_t readInt32(const unsigned char* bytes) {
  return readLittleEndian<int32_t, uint32_t>(bytes);
}
double readDouble(const unsigned char* bytes) {
  return readLittleEndian<double, uint64_t>(bytes);
}

// The value at byte offset `at`, or 0.0 when the file ends before the value does or the value is
// not finite: a parameter that the file does not give in full is silenced, never left stale.
double storedValueAt(const std::vector<unsigned char>& bytes, size_t at) {
  if (at + kRecordSize > bytes.size()) return 0.0;
  double value = readDouble(&bytes[at]);
  return std::isfinite(value) ? value : 0.0;
}

// Opens a regular file for reading. A directory, FIFO or device counts as a file that cannot be
// opened (O_NONBLOCK keeps a FIFO without writer from blocking the open).
FILE* openRegularFileForReading(const char* name) {
  int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  FILE* file = ::fdopen(fd, "rb");
  if (!file) ::close(fd);
  return file;
}

// Reads at most `limit` bytes from the start of the file; false when it cannot be opened or read.
bool readFileStart(const char* name, size_t limit, std::vector<unsigned char>& bytes) {
  FILE* file = openRegularFileForReading(name);
  if (!file) return false;
  bytes.assign(limit, 0);
  size_t got = std::fread(bytes.data(), 1, limit, file);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return false;
  bytes.resize(got);
  return true;
}

// Replaces the named file with `bytes` only once they are all written and the temporary file
// closed without error; otherwise the old file stays and the temporary goes. There is no fsync:
// saves run on the audio thread, where it would cost milliseconds per save.
void replaceFile(const char* name, const std::vector<unsigned char>& bytes) {
  std::string temporary = std::string(name) + kTemporarySuffix;
  int fd = ::open(temporary.c_str(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return; // e.g. the directory is gone, or a directory stands at the temporary name
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd); // not ours to remove
    return;
  }
  FILE* file = ::fdopen(fd, "wb");
  if (!file) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = std::fflush(file) == 0 && written;
  written = std::fclose(file) == 0 && written;
  if (!written || std::rename(temporary.c_str(), name) != 0) ::unlink(temporary.c_str());
}

} // namespace

void NovationLogic::saveSoundset() {
  std::vector<unsigned char> bytes;
  for (const ControlAssignment& a : controlAssignment) {
    appendInt32(bytes, a.drum);
    appendInt32(bytes, a.param);
  }
  for (int drum = 0; drum < kit->nDrums; ++drum)
    for (int param = 0; param < kit->getNParamsFor(drum); ++param)
      appendDouble(bytes, kit->getParam(drum, param));
  replaceFile(soundsetFileName(soundsetNumber).c_str(), bytes);
}

void NovationLogic::loadSoundset() {
  size_t expected = kSlots * kRecordSize;
  for (int drum = 0; drum < kit->nDrums; ++drum)
    expected += kit->getNParamsFor(drum) * kRecordSize;
  std::vector<unsigned char> bytes;
  if (!readFileStart(soundsetFileName(soundsetNumber).c_str(), expected, bytes)) return;

  // Whole records only: one that the file cuts short keeps the slot's assignment. Records that
  // name no parameter of the kit are clamped into it, as assign() does.
  for (int slot = 0; slot < kSlots; ++slot) {
    size_t at = slot * kRecordSize;
    if (at + kRecordSize <= bytes.size())
      assign(slot, readInt32(&bytes[at]), readInt32(&bytes[at + 4]));
  }
  size_t at = kSlots * kRecordSize;
  for (int drum = 0; drum < kit->nDrums; ++drum) {
    for (int param = 0; param < kit->getNParamsFor(drum); ++param) {
      kit->setParam(drum, param, storedValueAt(bytes, at));
      at += kRecordSize;
    }
  }
}

void NovationLogic::saveDrumParamsFor(int drum) {
  if (drum < 0 || drum >= kit->nDrums) return;
  std::vector<unsigned char> bytes;
  for (int param = 0; param < kit->getNParamsFor(drum); ++param)
    appendDouble(bytes, kit->getParam(drum, param));
  replaceFile(kTransferFileName, bytes);
}

void NovationLogic::loadDrumParamsFor(int drum) {
  std::printf("load %d\n", drum);
  if (drum < 0 || drum >= kit->nDrums) return;
  int count = kit->getNParamsFor(drum);
  std::vector<unsigned char> bytes;
  if (!readFileStart(kTransferFileName, count * kRecordSize, bytes)) return;
  for (int param = 0; param < count; ++param)
    kit->setParam(drum, param, storedValueAt(bytes, param * kRecordSize));
}

void NovationLogic::showSoundsetNumber() {
  char text[16];
  std::snprintf(text, sizeof text, "Soundset%1d", soundsetNumber);
  display->lcdTextPos(2, 37, text);
}

void NovationLogic::handleSoundsetAndChannel(int, int value) {
  if (buttonState[85]) { // Chanl
    if (selectStep != 0) {
      int stepped = *channel + selectStep;
      *channel = stepped > 15 ? 0 : (stepped < 0 ? 15 : stepped);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d", *channel);
    display->lcdTextPos(2, 5, text);
  } else if (value == 0) {
    display->lcdTextPos(2, 5, "  ");
  } else if (selectStep != 0) {
    int stepped = soundsetNumber + selectStep;
    soundsetNumber = stepped > 9 ? 9 : (stepped < 0 ? 0 : stepped);
    showSoundsetNumber();
  }
}

} // namespace stk
