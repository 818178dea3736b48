// JSON form of soundset and transfer files: byte-exact round trips and validation messages.
#include "SoundsetJson.h"
#include "SoundsetDocument.h"
#include "ValueText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

using stk::SoundsetDocument;
using stk::SoundsetJson;
using stk::ValueText;

namespace {

// Extreme finite values, both zeros, subnormals and NaNs of several signs and payloads.
const uint64_t kExtremeBits[] = {
    0x7fefffffffffffff, 0xffefffffffffffff, 0x0010000000000000, 0x000fffffffffffff,
    0x0000000000000001, 0x8000000000000001, 0x8000000000000000, 0x0000000000000000,
    0x3fefffffffffffff, 0x3ff0000000000001, 0x7ff0000000000000, 0xfff0000000000000,
    0x7ff8000000000000, 0xfff8000000000000, 0x7ff0000000000001, 0xfff4000000000abc};

std::vector<unsigned char> roundTrip(const std::vector<unsigned char>& bytes) {
  SoundsetDocument document;
  EXPECT_TRUE(document.decode(bytes));
  SoundsetDocument back;
  std::string error;
  EXPECT_TRUE(SoundsetJson::read(SoundsetJson::write(document), back, error)) << error;
  return back.encode();
}

// Random bytes: every double bit pattern and every slot record can occur, and one in four
// fields takes an extreme value.
std::vector<unsigned char> randomFile(std::mt19937_64& random, size_t size) {
  std::vector<unsigned char> bytes(size);
  for (size_t at = 0; at < size; at += 8) {
    uint64_t bits = random() % 4 ? random() : kExtremeBits[random() % std::size(kExtremeBits)];
    for (int i = 0; i < 8; ++i)
      bytes[at + i] = static_cast<unsigned char>(bits >> (8 * i));
  }
  return bytes;
}

std::string importError(const std::string& text) {
  SoundsetDocument document;
  std::string error;
  EXPECT_FALSE(SoundsetJson::read(text, document, error));
  return error;
}

} // namespace

TEST(SoundsetJson, RandomSoundsetsAndTransferFilesSurviveExportAndImportByteForByte) {
  std::mt19937_64 random(20261208);
  for (size_t size : {stk::SoundsetFormat::kSoundsetBytes, stk::SoundsetFormat::kTransferBytes})
    for (int i = 0; i < 300; ++i) {
      std::vector<unsigned char> bytes = randomFile(random, size);
      ASSERT_EQ(roundTrip(bytes), bytes) << "file " << i << " of " << size << " bytes";
    }
}

TEST(SoundsetJson, ExtremeValuesAreWrittenAsShortestNumbersOrNamedStrings) {
  SoundsetDocument document;
  document.kind = SoundsetDocument::Kind::Transfer;
  double values[] = {DBL_MAX, -0.0, 5e-324, 0.1, 1.0, HUGE_VAL, -HUGE_VAL, std::nan("")};
  for (size_t i = 0; i < std::size(values); ++i)
    document.contents.drums[0].params[i] = values[i];
  document.contents.drums[0].params[8] = ValueText::fromBits(0xfff8000000000000);
  document.contents.drums[0].params[9] = ValueText::fromBits(0x7ff0000000000001);
  std::string json = SoundsetJson::write(document);
  for (const char* expected :
       {"\"B+-\": 1.7976931348623157e+308", "\"BAtk\": -0.0", "\"BDcy\": 5e-324", "\"NB~\": 0.1",
        "\"NFrq\": 1.0", "\"NRso\": \"inf\"", "\"NCsh\": \"-inf\"", "\"NAtk\": \"nan\"",
        "\"NDcy\": \"-nan\"", "\"NVlo\": \"nan:0x7ff0000000000001\""})
    EXPECT_NE(json.find(expected), std::string::npos) << expected << " in\n" << json;

  double parsed;
  EXPECT_FALSE(ValueText::parseNonFinite("nan:0x7ff0000000000000", parsed)); // inf's bits
  EXPECT_FALSE(ValueText::parseNonFinite("nan:0x7ff000000000001", parsed));  // 15 digits
  EXPECT_FALSE(ValueText::parseNonFinite("NaN", parsed));
}

TEST(SoundsetJson, ImportNamesThePlaceOfEveryFault) {
  SoundsetDocument document;
  std::string good = SoundsetJson::write(document);
  auto edited = [&](const std::string& from, const std::string& to, size_t skip = 0) {
    std::string text = good;
    size_t at = text.find(from);
    for (size_t i = 0; i < skip; ++i)
      at = text.find(from, at + 1);
    return text.replace(at, from.size(), to);
  };
  EXPECT_EQ(importError(edited("\"NFrq\": 0.0", "\"NFrq\": true", 2)),
            "/drums/2/NFrq: expected a number or \"inf\", \"-inf\", \"nan\", \"-nan\" or "
            "\"nan:0x\" with 16 hex digits, not true");
  EXPECT_EQ(importError(edited("\"NFrq\": 0.0", "\"NFreq\": 0.0", 1)),
            "/drums/1/NFreq: unknown parameter");
  EXPECT_EQ(importError(edited("\"param\": \"B+-\"", "\"param\": \"Bend\"", 3)),
            "/slots/encoder 4/param: unknown parameter \"Bend\"");
  EXPECT_EQ(importError(edited("\"version\": 1", "\"version\": 2")),
            "/version: 2 is not a version this tool reads (1)");
  EXPECT_EQ(importError(edited("\"drum\": 0", "\"drum\": 0.5")),
            "/slots/encoder 1/drum: expected a whole number of 32 bits, not 0.5");
  EXPECT_EQ(importError(edited("\"pot 8\"", "\"pot 9\"")),
            "/slots/pot 9: unknown control (encoder 1 .. encoder 8, pot 1 .. pot 8)");

  EXPECT_EQ(importError(edited("\"Pan\": 0.0", "\"Pan\": 0.0, \"Vol\": 0.5", 3)),
            "/drums/3/Vol: given twice");
  EXPECT_EQ(importError(edited("\"drum\": 0", "\"drum\": 0, \"drum\": 1", 9)),
            "/slots/pot 2/drum: given twice");

  std::string fourDrums = good.substr(0, good.rfind(",\n    {")) + "\n  ]\n}\n";
  EXPECT_EQ(importError(fourDrums), "/drums/4: missing: a soundset has 5 drums");
  std::string withoutPan = edited(",\n      \"Pan\": 0.0", "");
  EXPECT_EQ(importError(withoutPan), "/drums/0/Pan: missing");
  EXPECT_EQ(importError(good.substr(0, 200)).rfind("parse error at line ", 0), 0u);
}
