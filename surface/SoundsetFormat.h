// The byte layouts of soundset files (968 bytes) and transfer files (168 bytes).
//
// A soundset file holds the 16 slot assignments (two little-endian 32-bit integers each, drum
// then parameter) followed by every parameter of every drum as little-endian IEEE doubles, drum 0
// first. A transfer file holds one drum's 21 parameters the same way. No header, no version.
#ifndef TAMBREL_SOUNDSETFORMAT_H
#define TAMBREL_SOUNDSETFORMAT_H

#include <cstddef>
#include <cstdint>

namespace stk {

class ZorvDrumKit;

// One control slot's target: a parameter of a drum. Stored as is in soundset files.
struct ControlAssignment {
  int drum;
  int param;
};

// One drum's sound: the contents of a transfer file.
struct DrumSound {
  double params[21];
};

// Everything a soundset file holds.
struct Soundset {
  ControlAssignment slots[16];
  DrumSound drums[5];
};

class SoundsetFormat {
public:
  static constexpr int kSlots = 16;
  static constexpr int kDrums = 5;
  static constexpr int kParams = 21;
  static constexpr size_t kRecordBytes = 8; // one assignment record or one parameter value
  static constexpr size_t kSlotBytes = kSlots * kRecordBytes;
  static constexpr size_t kTransferBytes = kParams * kRecordBytes;               // 168
  static constexpr size_t kSoundsetBytes = kSlotBytes + kDrums * kTransferBytes; // 968

  // Exactly kSoundsetBytes (kTransferBytes) into out; no allocation.
  static void encode(const Soundset& soundset, unsigned char* out);
  static void encode(const DrumSound& drum, unsigned char* out);
  // The exact inverse of encode for a whole layout: every field as stored, nothing clamped or
  // replaced (what a file holds, not what the program loads from it).
  static void decode(const unsigned char* bytes, Soundset& soundset);
  static void decode(const unsigned char* bytes, DrumSound& drum);

  // The program's loading rules for the first `size` bytes of a file (bytes past the layout are
  // ignored). Slots: whole records only, so a record the file cuts short keeps the slot's
  // current assignment; a record naming no parameter of the kit is clamped into it. Parameters:
  // a value the file does not hold in full, and a value that is not finite, load as 0.0.
  static void load(const unsigned char* bytes, size_t size, Soundset& soundset);
  static void load(const unsigned char* bytes, size_t size, DrumSound& drum);

  // The kit's sound and the given slots, and back.
  static void capture(ZorvDrumKit& kit, const ControlAssignment* slots, Soundset& soundset);
  static void capture(ZorvDrumKit& kit, int drum, DrumSound& sound);
  static void apply(const DrumSound& sound, int drum, ZorvDrumKit& kit);
  static void apply(const Soundset& soundset, ZorvDrumKit& kit); // parameters only

  // An assignment record within the kit: drum 0 .. 4, then param 0 .. 20.
  static ControlAssignment clamped(int drum, int param);

  // Little-endian fields, whatever the host's byte order.
  static int32_t readInt32(const unsigned char* bytes);
  static double readDouble(const unsigned char* bytes);
  static void writeInt32(int32_t value, unsigned char* bytes);
  static void writeDouble(double value, unsigned char* bytes);
};

} // namespace stk

#endif
