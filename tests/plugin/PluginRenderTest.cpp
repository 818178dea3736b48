// The plugin plays as the renderer does, sample for sample, whatever the host's blocks and events.
#include "PluginSong.h"

#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <random>

namespace {

constexpr uint32_t kFrames = 88200; // 2 s
constexpr uint32_t kSeed = 1234567;
const char* const kKit = "urn:tambrel:lv2:kit";
const char* const kKit5 = "urn:tambrel:lv2:kit-5out";

class PluginRender : public ::testing::Test {
protected:
  std::unique_ptr<Lv2TestInstance> kit(const char* uri = kKit, double rate = 44100) {
    auto instance = std::make_unique<Lv2TestInstance>(host, uri, rate);
    instance->restoreSeed(kSeed);
    instance->control("channel") = 10;
    return instance;
  }

  Lv2TestHost host;
  renderrig::Scratch scratch;
};

TEST_F(PluginRender, EqualsTheRendererAtEveryBlockSize) {
  const std::vector<TimedMessage> song = drumSong(kFrames);
  const std::vector<float> expected = renderedByProgram(scratch, song, kFrames, kSeed);
  std::mt19937 random(5);
  const std::pair<const char*, std::function<uint32_t()>> blockings[] = {
      {"1", [] { return 1u; }},
      {"64", [] { return 64u; }},
      {"1000", [] { return 1000u; }},
      {"random", [&] { return std::uniform_int_distribution<uint32_t>(1, 3000)(random); }}};
  for (const auto& blocking : blockings) {
    auto instance = kit();
    playInBlocks(*instance, song, kFrames, blocking.second);
    ASSERT_EQ(instance->output(0), expected) << "blocks of " << blocking.first;
    ASSERT_EQ(instance->output(1), expected) << "right channel, blocks of " << blocking.first;
  }
}

TEST_F(PluginRender, EachOfFiveOutputsIsItsDrumAloneAndTheyAddUpToTheKit) {
  const std::vector<TimedMessage> song = drumSong(kFrames);
  auto perDrum = kit(kKit5);
  playInBlocks(*perDrum, song, kFrames, [] { return 256u; });
  std::vector<float> sum(kFrames, 0.0f);
  for (int drum = 0; drum < 5; drum++) {
    auto alone = kit();
    playInBlocks(*alone, drumOnly(song, drum), kFrames, [] { return 256u; });
    EXPECT_EQ(perDrum->output(drum), alone->output(0)) << "drum " << drum;
    for (uint32_t i = 0; i < kFrames; i++)
      sum[i] = sum[i] + perDrum->output(drum)[i];
  }
  auto whole = kit();
  playInBlocks(*whole, song, kFrames, [] { return 256u; });
  EXPECT_EQ(sum, whole->output(0));
}

TEST_F(PluginRender, LateBackwardAndOddEventsArePlacedAsHostsExpectAndNeverCrash) {
  // A block of 100 frames: a late note lands at frame 99, one that goes back at the previous
  // event's frame; the same as a well-formed block.
  auto odd = kit();
  odd->midi(30, {0x99, 36, 100});
  odd->midi(10, {0x99, 38, 90});   // back: at 30
  odd->midi(5000, {0x99, 42, 80}); // late: at 99
  odd->midi(-7, {0x99, 46, 70});   // before the start, after a later one: at 99
  odd->run(100);
  odd->run(400);
  auto tidy = kit();
  tidy->midi(30, {0x99, 36, 100});
  tidy->midi(30, {0x99, 38, 90});
  tidy->midi(99, {0x99, 42, 80});
  tidy->midi(99, {0x99, 46, 70});
  tidy->run(100);
  tidy->run(400);
  EXPECT_EQ(odd->output(0), tidy->output(0));

  // Messages that are not notes, short and overlong ones, other atoms, patch messages with the
  // wrong types: all ignored; and a flood of notes in one small block.
  auto flooded = kit();
  const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  flooded->atom(0, host.urids().map("http://lv2plug.in/ns/ext/midi#MidiEvent"), sysex, 6);
  flooded->midi(1, {});
  flooded->midi(2, {0x99});
  flooded->midi(3, {0x99, 36});
  flooded->midi(4, {0x99, 0x80 | 36, 100});
  flooded->midi(5, {0xB9, 7, 100, 1, 2, 3});
  const int64_t big = 123;
  flooded->atom(6, host.urids().map("http://lv2plug.in/ns/ext/atom#Long"), &big, sizeof big);
  flooded->setSoundsetFile(7, "");
  for (int i = 0; i < 20000; i++)
    flooded->midi(i % 64, {uint8_t(i % 2 ? 0x89 : 0x99), uint8_t(36 + i % 11), uint8_t(i % 128)});
  flooded->run(64);
  flooded->run(0);
  flooded->run(4096);
  for (float sample : flooded->output(0))
    ASSERT_TRUE(sample >= -1.0f && sample <= 1.0f);
}

TEST_F(PluginRender, SoundsTheSameWhateverTheHostsFloatingPointModeAndGivesItBack) {
  const std::vector<TimedMessage> song = drumSong(22050);
  auto ieee = kit();
  playInBlocks(*ieee, song, 22050, [] { return 512u; });
  auto flushing = kit();
  const unsigned hostMode = _mm_getcsr();
  // Flush-to-zero, denormals-are-zero and rounding toward zero, which changes every rounding.
  const unsigned flushToZero = hostMode | 0x8040 | 0x6000;
  _mm_setcsr(flushToZero);
  playInBlocks(*flushing, song, 22050, [] { return 512u; });
  const unsigned after = _mm_getcsr();
  _mm_setcsr(hostMode);
  EXPECT_EQ(after & ~0x3Fu, flushToZero & ~0x3Fu); // the host's mode, flags aside
  EXPECT_EQ(flushing->output(0), ieee->output(0));
}

} // namespace
