// The test song, its MIDI file for the renderer, and block-wise playing through the plugin.
#include "PluginSong.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const uint8_t kNotes[] = {36, 38, 39, 42, 46};

} // namespace

std::vector<TimedMessage> drumSong(uint32_t frames) {
  std::vector<TimedMessage> song;
  // Frames on block edges: 0, 63, 64, 999, 1000, 1999, 2000, then a busy stretch.
  const int64_t edges[] = {0, 63, 64, 999, 1000, 1999, 2000, 4095, 4096, 6999};
  int n = 0;
  for (int64_t frame : edges)
    song.push_back({frame, 0x99, kNotes[n++ % 5], uint8_t(40 + 8 * n)});
  for (int64_t frame = 7000; frame + 3000 < frames; frame += 2917) {
    const uint8_t note = kNotes[n % 5];
    song.push_back({frame, 0x99, note, uint8_t(20 + (n * 37) % 107)});
    song.push_back({frame + 1500 + n % 7, uint8_t(n % 2 ? 0x89 : 0x99), note, 0}); // release
    song.push_back({frame + 611, 0x90, kNotes[(n + 2) % 5], 100});                 // channel 1
    n++;
  }
  std::stable_sort(song.begin(), song.end(),
                   [](const TimedMessage& a, const TimedMessage& b) { return a.frame < b.frame; });
  return song;
}

std::vector<TimedMessage> drumOnly(const std::vector<TimedMessage>& song, int drum) {
  std::vector<TimedMessage> only;
  for (const TimedMessage& m : song)
    if (m.data1 == kNotes[drum]) only.push_back(m);
  return only;
}

std::vector<float> renderedByProgram(const renderrig::Scratch& scratch,
                                     const std::vector<TimedMessage>& song, uint32_t frames,
                                     uint32_t seed, std::vector<std::string> extraArgs,
                                     uint32_t rate) {
  using namespace renderrig;
  // 22050 ticks a quarter at 500000 us a quarter: one tick is 1/44100 s; at other rates the
  // tempo is scaled to keep one tick a frame.
  std::vector<Bytes> events{event(0, tempo(uint32_t(500000.0 * 44100 / rate)))};
  int64_t last = 0;
  for (const TimedMessage& m : song) {
    events.push_back(event(uint32_t(m.frame - last), {m.status, m.data1, m.data2}));
    last = m.frame;
  }
  const std::string midi = scratch.write("song.mid", smf(0, 22050, {track(events)}));
  const std::string wav = scratch.path("song.wav");
  std::vector<std::string> args{midi,       "-o",
                                wav,        "--format",
                                "f32",      "--mono",
                                "--seed",   std::to_string(seed),
                                "--rate",   std::to_string(rate),
                                "--length", std::to_string(double(frames) / rate)};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  const Outcome outcome = render(args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  Audio audio = readAudio(wav);
  audio.samples.resize(frames);
  return audio.samples;
}

void playInBlocks(Lv2TestInstance& instance, const std::vector<TimedMessage>& song, uint32_t frames,
                  const std::function<uint32_t()>& nextBlock) {
  size_t next = 0;
  for (uint32_t start = 0; start < frames;) {
    const uint32_t block = std::min(nextBlock(), frames - start);
    for (; next < song.size() && song[next].frame < start + block; next++)
      instance.midi(song[next].frame - start,
                    {song[next].status, song[next].data1, song[next].data2});
    instance.run(block);
    start += block;
  }
}
