// Sessions, soundset files, presets and port write-backs keep the exact sounds.
#include "PluginSong.h"
#include "SoundsetFormat.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr uint32_t kFrames = 44100;
constexpr uint32_t kSeed = 424242;
const char* const kKit = "urn:tambrel:lv2:kit";

// Values no float holds: tenths, thirds, and a value of the Rand button, r / 2^31.
stk::Soundset oddSounds() {
  stk::Soundset sounds{};
  for (int slot = 0; slot < 16; slot++)
    sounds.slots[slot] = {slot % 5, (slot * 7) % 21};
  for (int drum = 0; drum < 5; drum++)
    for (int param = 0; param < 21; param++)
      sounds.drums[drum].params[param] = (param % 3 == 0)   ? 0.3
                                         : (param % 3 == 1) ? 1.0 / 3 + 0.01 * drum
                                                            : 1234567891.0 / 2147483648.0;
  sounds.drums[0].params[12] = 0.1; // a low tone, so that the drums differ
  return sounds;
}

class PluginState : public ::testing::Test {
protected:
  std::string soundsetFile(const stk::Soundset& sounds) {
    std::vector<unsigned char> bytes(stk::SoundsetFormat::kSoundsetBytes);
    stk::SoundsetFormat::encode(sounds, bytes.data());
    return scratch.write("soundset  7.dat", bytes);
  }

  std::unique_ptr<Lv2TestInstance> kit(bool withWorker = true) {
    auto instance = std::make_unique<Lv2TestInstance>(host, kKit, 44100, withWorker);
    instance->restoreSeed(kSeed);
    instance->control("channel") = 10;
    return instance;
  }

  std::vector<float> play(Lv2TestInstance& instance) {
    instance.clearOutputs();
    playInBlocks(instance, drumSong(kFrames), kFrames, [] { return 333u; });
    return instance.output(0);
  }

  Lv2TestHost host;
  renderrig::Scratch scratch;
};

TEST_F(PluginState, ASoundsetFileLoadsThroughTheWorkerAndPlaysAsTheRendererPlaysIt) {
  const std::string file = soundsetFile(oddSounds());
  auto instance = kit();
  instance->setSoundsetFile(0, file);
  instance->run(16); // the worker's reply arrives after this run
  instance->run(16);
  ASSERT_EQ(instance->announcedPaths(), std::vector<std::string>{file});
  instance->activate(); // silent, from the start of its noise
  const std::vector<float> expected =
      renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed, {"--soundset", file});
  EXPECT_EQ(play(*instance), expected);

  // Without a worker the request is refused and the instance plays on with its sounds.
  auto bare = kit(false);
  ASSERT_TRUE(bare->valid());
  bare->setSoundsetFile(0, file);
  bare->run(16);
  bare->activate();
  EXPECT_TRUE(bare->announcedPaths().empty());
  EXPECT_EQ(play(*bare), renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed));
}

TEST_F(PluginState, ASavedSessionRestoresIntoAFreshInstanceBitForBit) {
  const std::string file = soundsetFile(oddSounds());
  auto first = kit();
  first->setSoundsetFile(0, file);
  first->run(1);
  first->run(1);
  LilvState* saved = first->save();
  ASSERT_NE(saved, nullptr);
  // Through the text a session file holds, as a host writes and reads it.
  char* text =
      lilv_state_to_string(host.world(), host.urids().mapFeature(), host.urids().unmapFeature(),
                           saved, "urn:test:session", nullptr);
  LilvState* reread = lilv_state_new_from_string(host.world(), host.urids().mapFeature(), text);
  ASSERT_NE(reread, nullptr);

  Lv2TestInstance second(host, kKit, 44100); // another seed: the clock's
  second.restore(reread);                    // port values too, as lilv reads them back
  Lv2TestInstance third(host, kKit, 44100);
  third.control("channel") = 10;
  third.restore(reread, false); // ports left at the defaults
  first->activate();
  const std::vector<float> expected = play(*first);
  EXPECT_EQ(play(second), expected);
  EXPECT_EQ(play(third), expected);
  EXPECT_EQ(expected,
            renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed, {"--soundset", file}));
  lilv_free(text);
  lilv_state_free(reread);
  lilv_state_free(saved);
}

TEST_F(PluginState, PortsWrittenBackAsFloatsOrDecimalsKeepTheExactValuesAndAMovedKnobCounts) {
  const stk::Soundset sounds = oddSounds();
  const std::string file = soundsetFile(sounds);
  auto instance = kit();
  instance->setSoundsetFile(0, file);
  instance->run(1);
  instance->run(1);
  // What hosts write back: the float of each value, or the value as text with 8 places.
  const char* const symbols[] = {"d0_bend_amount", "d1_bend_attack", "d2_bend_decay",
                                 "d3_tone_pitch", "d4_noise_cutoff"};
  const int params[] = {0, 1, 2, 12, 4};
  for (int drum = 0; drum < 5; drum++) {
    const double value = sounds.drums[drum].params[params[drum]];
    char text[32];
    std::snprintf(text, sizeof text, "%.8f", value);
    instance->control(symbols[drum]) = drum % 2 ? float(value) : std::strtof(text, nullptr);
  }
  instance->run(1);
  instance->activate();
  const std::vector<float> exact =
      renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed, {"--soundset", file});
  EXPECT_EQ(play(*instance), exact);

  // A knob the user turns: its value is taken.
  stk::Soundset turned = sounds;
  turned.drums[0].params[12] = 0.75;
  instance->control("d0_tone_pitch") = 0.75f;
  instance->run(1);
  instance->activate();
  const std::string turnedFile = soundsetFile(turned);
  EXPECT_EQ(play(*instance), renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed,
                                               {"--soundset", turnedFile}));
}

TEST_F(PluginState, TheDefaultPresetLoadsThroughLilvAndBringsBackTheDefaults) {
  LilvState* preset = host.loadPreset("urn:tambrel:preset:default");
  ASSERT_NE(preset, nullptr);
  EXPECT_STREQ(lilv_state_get_label(preset), "Default");
  auto instance = kit();
  instance->setSoundsetFile(0, soundsetFile(oddSounds()));
  instance->run(1);
  instance->run(1);
  instance->restore(preset); // no seed in a preset: the sounds change, the noise stays
  instance->activate();
  EXPECT_EQ(play(*instance), renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed));
  lilv_state_free(preset);
}

TEST_F(PluginState, EachFactoryKitIsAPresetThatPlaysAsTheRendererPlaysTheKit) {
  const char* const kits[] = {"tight", "studio", "boom", "dust", "foundry",
                              "brush", "bare",   "snap", "haze", "glitch"};
  for (int kit = 0; kit < 10; kit++) {
    LilvState* preset = host.loadPreset((std::string("urn:tambrel:preset:") + kits[kit]).c_str());
    ASSERT_NE(preset, nullptr) << kits[kit];
    auto instance = this->kit();
    instance->restore(preset);
    instance->activate();
    EXPECT_EQ(play(*instance), renderedByProgram(scratch, drumSong(kFrames), kFrames, kSeed,
                                                 {"--kit", std::to_string(kit)}))
        << kits[kit];
    lilv_state_free(preset);
  }
}

} // namespace
