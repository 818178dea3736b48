// Learning from what a person sends: each encoding from three messages each way, absolute knobs
// from their counting, buttons as control changes or notes, and what the map already has.
#include "ControllerLearner.h"
#include "LearnSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// The encoding decided after each value in turn: -1 while undecided.
std::vector<int> decisions(const std::vector<int>& values) {
  std::vector<int> decided, seen;
  for (int value : values) {
    seen.push_back(value);
    Encoding encoding;
    decided.push_back(ControllerLearner::detect(seen, encoding) ? static_cast<int>(encoding) : -1);
  }
  return decided;
}

constexpr int kAbs = static_cast<int>(Encoding::Absolute);
constexpr int kOff = static_cast<int>(Encoding::Offset64);
constexpr int kTwo = static_cast<int>(Encoding::TwosComplement);
constexpr int kSign = static_cast<int>(Encoding::SignMagnitude);

TEST(LearnDetect, EachRelativeEncodingIsToldFromThreeMessagesEachWay) {
  EXPECT_EQ(decisions({65, 66, 65, 63, 62, 63}), (std::vector<int>{-1, -1, -1, -1, -1, kOff}));
  EXPECT_EQ(decisions({1, 1, 2, 127, 127, 126}), (std::vector<int>{-1, -1, -1, -1, -1, kTwo}));
  EXPECT_EQ(decisions({1, 2, 1, 65, 65, 66}), (std::vector<int>{-1, -1, -1, -1, -1, kSign}));
  // Two messages each way decide nothing.
  EXPECT_EQ(decisions({1, 1, 127, 127}), (std::vector<int>{-1, -1, -1, -1}));
}

TEST(LearnDetect, AbsoluteKnobsCountUpThenDownWhereverTheyStand) {
  EXPECT_EQ(decisions({40, 41, 42, 41, 40, 39}), (std::vector<int>{-1, -1, -1, -1, -1, kAbs}));
  // Near 0 and across 64 an absolute knob is not taken for a relative one.
  EXPECT_EQ(decisions({1, 2, 3, 2, 1, 0}), (std::vector<int>{-1, -1, -1, -1, -1, kAbs}));
  EXPECT_EQ(decisions({62, 63, 65, 66, 65, 63, 62}),
            (std::vector<int>{-1, -1, -1, -1, -1, -1, kAbs}));
  // Standing still at the end of its travel is no turn either way.
  EXPECT_EQ(decisions({125, 126, 127, 127, 126, 126, 125, 124}),
            (std::vector<int>{-1, -1, -1, -1, -1, -1, -1, kAbs}));
  // Turned left first: not what was asked.
  EXPECT_EQ(decisions({50, 49, 48, 49, 50, 51}), (std::vector<int>(6, -1)));
}

TEST(LearnDetect, ButtonsArePressesOfAControlChangeOrANote) {
  ControllerMap known;
  std::string error;
  ASSERT_TRUE(
      ControllerMap::parse(R"({"controls": {"copy": {"note": 36, "channel": 10}}})", known, error));
  ControllerLearner learner;
  learner.begin(ControlTable::find("paste"), known);
  const std::vector<Bytes> ignored{{0x99, 36, 100}, {0x89, 37, 0}, {0x99, 37, 0},
                                   {0xB0, 5, 0},    {0xE0, 0, 64}, {0xC0, 3}};
  for (const Bytes& message : ignored)
    EXPECT_FALSE(learner.feed(message.data(), message.size()));
  const Bytes pad{0x99, 37, 20};
  ASSERT_TRUE(learner.feed(pad.data(), pad.size()));
  EXPECT_EQ(learner.learned().message, MessageKind::Note);
  EXPECT_EQ(learner.learned().number, 37);
  EXPECT_EQ(learner.learned().channel, 9);

  learner.begin(ControlTable::find("save"), known);
  const Bytes button{0xB3, 20, 127};
  ASSERT_TRUE(learner.feed(button.data(), button.size()));
  EXPECT_EQ(learner.learned().message, MessageKind::ControlChange);
  EXPECT_EQ(learner.learned().number, 20);
  EXPECT_EQ(learner.learned().channel, 3);
}

TEST(LearnDetect, AKnobIsTheFirstControlChangeTurnedAndNotesAreNoKnobs) {
  ControllerMap known;
  ControllerLearner learner;
  learner.begin(ControlTable::find("encoder 3"), known);
  std::vector<Bytes> sent{{0x90, 40, 100}, {0xB0, 21, 65}, {0xB0, 22, 10}, {0xB1, 21, 65},
                          {0xB0, 21, 66},  {0xB0, 21, 65}, {0xB0, 21, 63}, {0xB0, 21, 63}};
  for (const Bytes& message : sent)
    EXPECT_FALSE(learner.feed(message.data(), message.size()));
  const Bytes last{0xB0, 21, 62};
  ASSERT_TRUE(learner.feed(last.data(), last.size()));
  EXPECT_EQ(learner.learned().number, 21);
  EXPECT_EQ(learner.learned().channel, 0);
  EXPECT_EQ(learner.learned().encoding, Encoding::Offset64);
}

TEST(LearnWrite, TheMapGoesWholeIntoItsFolderOrNotAtAll) {
  ControllerMap map;
  std::string error;
  ASSERT_TRUE(
      ControllerMap::parse(R"({"name": "desk", "controls": {"up": {"note": 3}}})", map, error));
  char pattern[] = "/tmp/tambrel-learn-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/tambrel/controllers/desk.json";
  ASSERT_TRUE(LearnSession::write(map, path, error)) << error;
  ControllerMap read;
  ASSERT_TRUE(ControllerMap::load(path, read, error)) << error;
  EXPECT_EQ(read.toJson(), map.toJson());
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));

  const std::string blocked = std::string(pattern) + "/tambrel/controllers/desk.json/inner.json";
  EXPECT_FALSE(LearnSession::write(map, blocked, error));
  EXPECT_EQ(error, blocked + ": cannot be written");
  EXPECT_FALSE(std::filesystem::exists(blocked + ".part"));
  std::filesystem::remove_all(pattern);
}

} // namespace
