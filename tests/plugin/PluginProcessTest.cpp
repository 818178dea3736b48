// Instances share a host's process: rates, rand() and threads stay each instance's own.
#include "PluginSong.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

namespace {

const char* const kKit = "urn:tambrel:lv2:kit";

std::vector<float> playAlone(Lv2TestHost& host, double rate, uint32_t seed, uint32_t frames,
                             uint32_t block) {
  Lv2TestInstance instance(host, kKit, rate);
  instance.restoreSeed(seed);
  instance.control("channel") = 10;
  playInBlocks(instance, drumSong(frames), frames, [block] { return block; });
  return instance.output(0);
}

TEST(PluginProcess, TwoInstancesAtTwoRatesInOneProcessEachSoundRight) {
  Lv2TestHost host;
  renderrig::Scratch scratch;
  const uint32_t seconds = 2;
  Lv2TestInstance at44(host, kKit, 44100), at48(host, kKit, 48000);
  at44.restoreSeed(11);
  at48.restoreSeed(11);
  at44.control("channel") = at48.control("channel") = 10;
  const auto song44 = drumSong(44100 * seconds), song48 = drumSong(48000 * seconds);
  // Interleaved, block by block, as one host thread runs both.
  size_t next44 = 0, next48 = 0;
  for (uint32_t start = 0; start < 48000 * seconds; start += 480) {
    for (; next48 < song48.size() && song48[next48].frame < start + 480; next48++)
      at48.midi(song48[next48].frame - start,
                {song48[next48].status, song48[next48].data1, song48[next48].data2});
    at48.run(480);
    const uint32_t start44 = start / 480 * 441;
    if (start44 >= 44100 * seconds) continue;
    for (; next44 < song44.size() && song44[next44].frame < start44 + 441; next44++)
      at44.midi(song44[next44].frame - start44,
                {song44[next44].status, song44[next44].data1, song44[next44].data2});
    at44.run(441);
  }
  EXPECT_EQ(at44.output(0), renderedByProgram(scratch, song44, 44100 * seconds, 11));
  EXPECT_EQ(at48.output(0), renderedByProgram(scratch, song48, 48000 * seconds, 11, {}, 48000));
  EXPECT_NE(std::vector<float>(at44.output(0).begin(), at44.output(0).begin() + 44100),
            std::vector<float>(at48.output(0).begin(), at48.output(0).begin() + 44100));
}

TEST(PluginProcess, MakingPlayingAndRestoringAnInstanceLeavesTheHostsRandAlone) {
  Lv2TestHost host;
  srand(99);
  const int first = rand(), second = rand();
  srand(99);
  EXPECT_EQ(rand(), first);
  {
    Lv2TestInstance instance(host, kKit, 44100);
    instance.restoreSeed(5);
    instance.midi(0, {0x99, 36, 100});
    instance.run(512);
    instance.activate();
  }
  EXPECT_EQ(rand(), second);
}

TEST(PluginProcess, InstancesMadePlayedAndDestroyedOnSeveralThreadsAtOnceSoundAsAlone) {
  Lv2TestHost host;
  const double rates[] = {44100, 48000, 22050, 96000};
  std::vector<std::vector<float>> expected;
  for (int t = 0; t < 4; t++)
    expected.push_back(playAlone(host, rates[t], 100 + t, 12000, 64 + 32 * t));
  std::vector<std::vector<std::vector<float>>> results(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; round++)
        results[t].push_back(playAlone(host, rates[t], 100 + t, 12000, 64 + 32 * t));
    });
  for (std::thread& thread : threads)
    thread.join();
  for (int t = 0; t < 4; t++)
    for (const std::vector<float>& result : results[t])
      EXPECT_EQ(result, expected[t]) << "rate " << rates[t];
}

TEST(PluginProcess, HostsReadingNoteNamesGetTheFiveDrums) {
  Lv2TestHost host;
  const LV2_Descriptor* descriptor = host.descriptor(kKit);
  struct Midnam {
    char* (*midnam)(void*);
    char* (*model)(void*);
    void (*free)(char*);
  };
  const auto* midnam = static_cast<const Midnam*>(
      descriptor->extension_data("http://ardour.org/lv2/midnam#interface"));
  ASSERT_NE(midnam, nullptr);
  char* document = midnam->midnam(nullptr);
  const std::string text = document;
  midnam->free(document);
  for (const char* note : {"\"36\" Name=\"Drum 0", "\"38\" Name=\"Drum 1", "\"39\" Name=\"Drum 2",
                           "\"42\" Name=\"Drum 3", "\"46\" Name=\"Drum 4"})
    EXPECT_NE(text.find(std::string("<Note Number=") + note), std::string::npos) << note;
}

} // namespace
