// check's verdict agrees with the program's own loader on files of every length and content.
#include "SoundsetCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using stk::SoundsetFormat;

namespace {

// Fields a control sets; in half of the files, now and then one outside the kit, not finite or
// outside 0 .. 1.
std::vector<unsigned char> randomFile(std::mt19937& random, size_t size) {
  bool clean = random() % 2;
  std::vector<unsigned char> bytes(size + 8);
  for (size_t at = 0; at < size; at += 8) {
    bool slot = size != SoundsetFormat::kTransferBytes && at < SoundsetFormat::kSlotBytes;
    int odd = clean ? 40 : random() % 40;
    if (slot) {
      SoundsetFormat::writeInt32(odd == 0 ? -1 : static_cast<int32_t>(random() % 5), &bytes[at]);
      SoundsetFormat::writeInt32(odd == 1 ? 21 : static_cast<int32_t>(random() % 21),
                                 &bytes[at + 4]);
    } else {
      double value = odd == 0   ? NAN
                     : odd == 1 ? -INFINITY
                     : odd == 2 ? 1.0000001
                                : (random() % 129) / 128.0;
      SoundsetFormat::writeDouble(value, &bytes[at]);
    }
  }
  bytes.resize(size);
  return bytes;
}

// What the program makes of the file, written back: equal to the file when it loads as stored.
bool loadsAsStored(const std::vector<unsigned char>& bytes) {
  std::vector<unsigned char> again(bytes.size());
  if (bytes.size() == SoundsetFormat::kTransferBytes) {
    stk::DrumSound sound;
    SoundsetFormat::load(bytes.data(), bytes.size(), sound);
    SoundsetFormat::encode(sound, again.data());
  } else if (bytes.size() == SoundsetFormat::kSoundsetBytes) {
    stk::Soundset soundset{};
    SoundsetFormat::load(bytes.data(), bytes.size(), soundset);
    SoundsetFormat::encode(soundset, again.data());
  } else {
    return false;
  }
  return again == bytes;
}

} // namespace

TEST(SoundsetCheck, FindsAFaultExactlyWhenTheLoaderChangesTheFile) {
  std::mt19937 random(1224);
  int exact[2] = {0, 0}; // transfer files, soundset files
  for (int i = 0; i < 3000; ++i) {
    size_t size = i % 3 == 0   ? SoundsetFormat::kSoundsetBytes
                  : i % 3 == 1 ? SoundsetFormat::kTransferBytes
                               : random() % 1100;
    std::vector<unsigned char> bytes = randomFile(random, size);
    stk::SoundsetCheck found(bytes, size);
    ASSERT_EQ(found.faults.empty(), loadsAsStored(bytes))
        << "file " << i << ", " << size << " bytes";
    for (const std::string& value : found.unusualValues)
      EXPECT_NE(value.find(" is 1.0000001, outside 0 .. 1"), std::string::npos) << value;
    if (size == SoundsetFormat::kTransferBytes || size == SoundsetFormat::kSoundsetBytes)
      exact[size == SoundsetFormat::kSoundsetBytes] += found.faults.empty();
  }
  EXPECT_GT(exact[0], 400); // of 1000 of each kind: both verdicts occur
  EXPECT_GT(exact[1], 400);
  EXPECT_LT(exact[1], 600);
}
