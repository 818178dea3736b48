// A soundset file as the program stores it: 16 slot assignments, then every drum's parameters.
#ifndef TAMBREL_TESTS_E2E_SOUNDSETIMAGE_H
#define TAMBREL_TESTS_E2E_SOUNDSETIMAGE_H

#include <cstdint>
#include <string>
#include <vector>

struct SoundsetImage {
  static constexpr int kSlots = 16;
  static constexpr int kDrums = 5;
  static constexpr int kParams = 21;
  static constexpr std::size_t kBytes = kSlots * 8 + kDrums * kParams * 8; // 968

  int drum[kSlots] = {};
  int param[kSlots] = {};
  double value[kDrums][kParams] = {};

  // Every slot on drum 0, parameter 0, and the kit's default parameters.
  static SoundsetImage defaults();
  // Little-endian, as the program writes it.
  std::vector<unsigned char> bytes() const;
  // False when the size is not that of a soundset file.
  static bool parse(const std::vector<unsigned char>& bytes, SoundsetImage& image);
  // File name of soundset n, 0 .. 9.
  static std::string fileName(int number);
};

#endif
