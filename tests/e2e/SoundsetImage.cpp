// Soundset file images built from the kit's defaults, written and read byte by byte.
#include "SoundsetImage.h"

#include "ZorvDrumKit.h"

#include <cstdio>
#include <cstring>

namespace {
void putLittleEndian(std::vector<unsigned char>& out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i)
    out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint64_t getLittleEndian(const unsigned char* in, int size) {
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i)
    value |= std::uint64_t(in[i]) << (8 * i);
  return value;
}
} // namespace

SoundsetImage SoundsetImage::defaults() {
  SoundsetImage image;
  stk::ZorvDrumKit kit;
  for (int d = 0; d < kDrums; ++d)
    for (int p = 0; p < kParams; ++p)
      image.value[d][p] = kit.getParam(d, p);
  return image;
}

std::vector<unsigned char> SoundsetImage::bytes() const {
  std::vector<unsigned char> out;
  for (int s = 0; s < kSlots; ++s) {
    putLittleEndian(out, std::uint32_t(drum[s]), 4);
    putLittleEndian(out, std::uint32_t(param[s]), 4);
  }
  for (int d = 0; d < kDrums; ++d)
    for (int p = 0; p < kParams; ++p) {
      std::uint64_t bits;
      std::memcpy(&bits, &value[d][p], 8);
      putLittleEndian(out, bits, 8);
    }
  return out;
}

bool SoundsetImage::parse(const std::vector<unsigned char>& bytes, SoundsetImage& image) {
  if (bytes.size() != kBytes) return false;
  const unsigned char* at = bytes.data();
  for (int s = 0; s < kSlots; ++s, at += 8) {
    image.drum[s] = std::int32_t(getLittleEndian(at, 4));
    image.param[s] = std::int32_t(getLittleEndian(at + 4, 4));
  }
  for (int d = 0; d < kDrums; ++d)
    for (int p = 0; p < kParams; ++p, at += 8) {
      const std::uint64_t bits = getLittleEndian(at, 8);
      std::memcpy(&image.value[d][p], &bits, 8);
    }
  return true;
}

std::string SoundsetImage::fileName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "soundset%3d.dat", number);
  return name;
}
