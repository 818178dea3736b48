// Translation of canned messages: every encoding, absolute knobs as encoders with their limits,
// encoders as pots, notes as held buttons, toggles, channel filters and unmapped messages.
#include "ControllerTranslator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Verdict = ControllerTranslator::Verdict;
using Bytes = std::vector<unsigned char>;

ControllerMap mapOf(const std::string& controls, bool passUnmapped = false) {
  ControllerMap map;
  std::string error;
  const std::string text = std::string("{\"pass_unmapped\": ") + (passUnmapped ? "true" : "false") +
                           ", \"controls\": {" + controls + "}}";
  EXPECT_TRUE(ControllerMap::parse(text, map, error)) << error;
  return map;
}

// The values the logic receives for a series of messages; -1 stands for "taken, nothing sent".
std::vector<int> valuesFor(ControllerTranslator& translator, const std::vector<Bytes>& messages,
                           int controller) {
  std::vector<int> values;
  for (const Bytes& message : messages) {
    const auto result = translator.translate(message.data(), message.size());
    EXPECT_EQ(result.verdict, Verdict::Translated);
    if (result.count == 0) {
      values.push_back(-1);
      continue;
    }
    EXPECT_EQ(result.controller, controller);
    values.push_back(result.value);
  }
  return values;
}

std::vector<Bytes> ccs(int status, int number, const std::vector<int>& values) {
  std::vector<Bytes> messages;
  for (int value : values)
    messages.push_back(Bytes{static_cast<unsigned char>(status), static_cast<unsigned char>(number),
                             static_cast<unsigned char>(value)});
  return messages;
}

TEST(ControllerMapTranslate, RelativeEncodingsBecomeStepsAround64) {
  const ControllerMap map = mapOf(R"("encoder 1": {"cc": 20, "encoding": "offset64"},
                                      "encoder 2": {"cc": 21, "encoding": "twos-complement"},
                                      "encoder 3": {"cc": 22, "encoding": "sign-magnitude"})");
  ControllerTranslator translator(map);
  // +1, +3, -1, -3 in each encoding, as the logic wants them: 65, 67, 63, 61.
  const std::vector<int> expected{65, 67, 63, 61};
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 20, {65, 67, 63, 61}), 0), expected);
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 21, {1, 3, 127, 125}), 1), expected);
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 22, {1, 3, 65, 67}), 2), expected);
  // The extremes: two's complement 64 is -64; sign-magnitude 127 is -63 and 63 is +63.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 21, {63, 64}), 1), (std::vector<int>{127, 0}));
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 22, {63, 127, 64}), 2), (std::vector<int>{127, 1, 64}));
}

TEST(ControllerMapTranslate, AnAbsoluteKnobAsAnEncoderStepsFromItsOwnPreviousValue) {
  const ControllerMap map = mapOf(R"("encoder 4": {"cc": 7, "encoding": "absolute"},
                                      "encoder 5": {"cc": 8, "encoding": "absolute"})");
  ControllerTranslator translator(map);
  // First message: no step whatever the value; then the difference, limited to -64 .. +63.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 7, {100, 101, 98, 98, 0, 127, 120}), 3),
            (std::vector<int>{64, 65, 61, 64, 0, 127, 57}));
  // Another knob keeps its own previous value.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 8, {5, 10}), 4), (std::vector<int>{64, 69}));
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 7, {121}), 3), (std::vector<int>{65}));
  translator.reset();
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 7, {3}), 3), (std::vector<int>{64}));
}

TEST(ControllerMapTranslate, PotsTakeAbsolutePositionsAndAccumulateEncoderSteps) {
  const ControllerMap map = mapOf(R"("pot 1": {"cc": 30},
                                      "pot 8": {"cc": 31, "encoding": "twos-complement"})");
  ControllerTranslator translator(map);
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 30, {0, 127, 64}), 8), (std::vector<int>{0, 127, 64}));
  // From 0: -1 stays at 0, then +10 +63 +63 stop at 127, then -5.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 31, {127, 10, 63, 63, 123}), 15),
            (std::vector<int>{0, 10, 73, 127, 122}));
}

TEST(ControllerMapTranslate, NotesAreHeldButtonsAndTogglesFlipOnPresses) {
  const ControllerMap map = mapOf(R"("assign pot 3": {"note": 36, "channel": 10},
                                      "rand": {"cc": 64, "button": "toggle"},
                                      "chanl": {"note": 37, "channel": 10, "button": "toggle"},
                                      "load": {"cc": 65})");
  ControllerTranslator translator(map);
  // Pressed at any velocity is 1; note off, or note on at velocity 0, is 0.
  EXPECT_EQ(
      valuesFor(translator, {{0x99, 36, 100}, {0x89, 36, 64}, {0x99, 36, 1}, {0x99, 36, 0}}, 34),
      (std::vector<int>{1, 0, 1, 0}));
  // A toggle sends its new state on each press and nothing on a release.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 64, {127, 0, 127, 0, 90}), 84),
            (std::vector<int>{1, -1, 0, -1, 1}));
  EXPECT_EQ(valuesFor(translator, {{0x99, 37, 90}, {0x89, 37, 0}, {0x99, 37, 90}}, 85),
            (std::vector<int>{1, -1, 0}));
  // Load acts on exactly 1: a button at 127 reaches it as 1.
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 65, {127, 0}), 75), (std::vector<int>{1, 0}));
}

TEST(ControllerMapTranslate, ChannelFiltersTakeOnlyTheirChannel) {
  const ControllerMap map = mapOf(R"("copy": {"cc": 20, "channel": 1},
                                      "paste": {"cc": 20, "channel": 2},
                                      "save": {"cc": 21, "channel": "any"})");
  ControllerTranslator translator(map);
  EXPECT_EQ(valuesFor(translator, ccs(0xB0, 20, {5}), 86), (std::vector<int>{1}));
  EXPECT_EQ(valuesFor(translator, ccs(0xB1, 20, {5}), 87), (std::vector<int>{1}));
  const Bytes other{0xB2, 20, 5};
  EXPECT_EQ(translator.translate(other.data(), other.size()).verdict, Verdict::Drop);
  for (int channel = 0; channel < 16; ++channel)
    EXPECT_EQ(valuesFor(translator, ccs(0xB0 + channel, 21, {1}), 76), (std::vector<int>{1}));
}

TEST(ControllerMapTranslate, UnmappedMessagesAreDroppedOrPassedAsTheMapSays) {
  const std::string controls = R"("drum 0": {"note": 40}, "pot 2": {"cc": 9, "channel": 3})";
  const ControllerMap dropping = mapOf(controls, false), passing = mapOf(controls, true);
  ControllerTranslator drops(dropping), passes(passing);
  const std::vector<Bytes> unmapped{{0xB0, 10, 3}, {0xB0, 9, 3}, {0x90, 41, 3}, {0xE0, 40, 3},
                                    {0xC0, 40},    {0xF8},       {0xB2},        {0xA0, 40, 3},
                                    {0xD0, 40},    {0xF0, 1, 2}};
  for (const Bytes& message : unmapped) {
    const auto dropped = drops.translate(message.data(), message.size());
    const auto passed = passes.translate(message.data(), message.size());
    EXPECT_EQ(dropped.verdict, Verdict::Drop);
    EXPECT_EQ(passed.verdict, Verdict::Pass);
    EXPECT_EQ(dropped.count + passed.count, 0);
    EXPECT_FALSE(drops.takes(message.data(), message.size()));
  }
  // What the map names is taken whatever pass_unmapped says, and the notes input leaves it.
  const Bytes pad{0x95, 40, 3}, knob{0xB2, 9, 3};
  EXPECT_TRUE(passes.takes(pad.data(), pad.size()));
  EXPECT_TRUE(passes.takes(knob.data(), knob.size()));
  EXPECT_EQ(passes.translate(knob.data(), knob.size()).verdict, Verdict::Translated);
}

} // namespace
