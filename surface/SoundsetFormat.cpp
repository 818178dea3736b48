// Encoding and loading of soundset and transfer files, and their exchange with the kit.
#include "SoundsetFormat.h"

#include "ZorvDrumKit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace stk {

namespace {

// The value at byte offset `at`, or 0.0 when the file ends before the value does or the value is
// not finite: a parameter that the file does not give in full is silenced, never left stale.
double storedValueAt(const unsigned char* bytes, size_t size, size_t at) {
  if (at + SoundsetFormat::kRecordBytes > size) return 0.0;
  double value = SoundsetFormat::readDouble(bytes + at);
  return std::isfinite(value) ? value : 0.0;
}

// Little-endian bytes of a 32-bit integer or an IEEE double, whatever the host's byte order.
template <typename Value, typename Bits> Value readLittleEndian(const unsigned char* bytes) {
  static_assert(sizeof(Value) == sizeof(Bits), "same width");
  Bits bits = 0;
  for (size_t i = 0; i < sizeof bits; ++i)
    bits |= static_cast<Bits>(bytes[i]) << (8 * i);
  Value value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

template <typename Value, typename Bits> void writeLittleEndian(Value value, unsigned char* bytes) {
  static_assert(sizeof(Value) == sizeof(Bits), "same width");
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (size_t i = 0; i < sizeof bits; ++i)
    bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

} // namespace

int32_t SoundsetFormat::readInt32(const unsigned char* bytes) {
  return readLittleEndian<int32_t, uint32_t>(bytes);
}

double SoundsetFormat::readDouble(const unsigned char* bytes) {
  return readLittleEndian<double, uint64_t>(bytes);
}

void SoundsetFormat::writeInt32(int32_t value, unsigned char* bytes) {
  writeLittleEndian<int32_t, uint32_t>(value, bytes);
}

void SoundsetFormat::writeDouble(double value, unsigned char* bytes) {
  writeLittleEndian<double, uint64_t>(value, bytes);
}

void SoundsetFormat::encode(const DrumSound& drum, unsigned char* out) {
  for (int param = 0; param < kParams; ++param)
    writeDouble(drum.params[param], out + param * kRecordBytes);
}

void SoundsetFormat::encode(const Soundset& soundset, unsigned char* out) {
  for (int slot = 0; slot < kSlots; ++slot) {
    writeInt32(soundset.slots[slot].drum, out + slot * kRecordBytes);
    writeInt32(soundset.slots[slot].param, out + slot * kRecordBytes + 4);
  }
  for (int drum = 0; drum < kDrums; ++drum)
    encode(soundset.drums[drum], out + kSlotBytes + drum * kTransferBytes);
}

void SoundsetFormat::decode(const unsigned char* bytes, DrumSound& drum) {
  for (int param = 0; param < kParams; ++param)
    drum.params[param] = readDouble(bytes + param * kRecordBytes);
}

void SoundsetFormat::decode(const unsigned char* bytes, Soundset& soundset) {
  for (int slot = 0; slot < kSlots; ++slot)
    soundset.slots[slot] = ControlAssignment{readInt32(bytes + slot * kRecordBytes),
                                             readInt32(bytes + slot * kRecordBytes + 4)};
  for (int drum = 0; drum < kDrums; ++drum)
    decode(bytes + kSlotBytes + drum * kTransferBytes, soundset.drums[drum]);
}

ControlAssignment SoundsetFormat::clamped(int drum, int param) {
  return ControlAssignment{std::min(std::max(drum, 0), kDrums - 1),
                           std::min(std::max(param, 0), kParams - 1)};
}

void SoundsetFormat::load(const unsigned char* bytes, size_t size, DrumSound& drum) {
  for (int param = 0; param < kParams; ++param)
    drum.params[param] = storedValueAt(bytes, size, param * kRecordBytes);
}

void SoundsetFormat::load(const unsigned char* bytes, size_t size, Soundset& soundset) {
  for (int slot = 0; slot < kSlots; ++slot) {
    size_t at = slot * kRecordBytes;
    if (at + kRecordBytes <= size)
      soundset.slots[slot] = clamped(readInt32(bytes + at), readInt32(bytes + at + 4));
  }
  for (int drum = 0; drum < kDrums; ++drum) {
    size_t at = kSlotBytes + drum * kTransferBytes;
    load(at < size ? bytes + at : bytes, at < size ? size - at : 0, soundset.drums[drum]);
  }
}

void SoundsetFormat::capture(ZorvDrumKit& kit, int drum, DrumSound& sound) {
  for (int param = 0; param < kParams; ++param)
    sound.params[param] = kit.getParam(drum, param);
}

void SoundsetFormat::capture(ZorvDrumKit& kit, const ControlAssignment* slots, Soundset& soundset) {
  std::copy(slots, slots + kSlots, soundset.slots);
  for (int drum = 0; drum < kDrums; ++drum)
    capture(kit, drum, soundset.drums[drum]);
}

void SoundsetFormat::apply(const DrumSound& sound, int drum, ZorvDrumKit& kit) {
  for (int param = 0; param < kParams; ++param)
    kit.setParam(drum, param, sound.params[param]);
}

void SoundsetFormat::apply(const Soundset& soundset, ZorvDrumKit& kit) {
  for (int drum = 0; drum < kDrums; ++drum)
    apply(soundset.drums[drum], drum, kit);
}

} // namespace stk
