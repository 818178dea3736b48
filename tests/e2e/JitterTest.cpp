// Notes sent at random frames of their periods by a client that does not listen to the program:
// on the one JACK client each sounds on its own frame, at periods 64, 256 and 1024. The split
// clients of the MIDI and audio libraries are measured beside it, for comparison.
#include "NoteProbe.h"
#include "NoteRouting.h"
#include "ProgramProcess.h"
#include "SoundsetImage.h"
#include "TambrelSession.h"
#include "ZorvDrumKit.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

namespace {

constexpr int kNotes = 200;
constexpr unsigned char kNoteOn = 0x99; // channel 10, the drums' channel at start-up
constexpr unsigned char kDrum0 = 0x24;

// Drum 0 with its fastest decays, so that it falls silent soon after each note.
SoundsetImage fastSoundset() {
  SoundsetImage soundset = SoundsetImage::defaults();
  for (int decay : {2, 8, 16})
    soundset.value[0][decay] = 1.0;
  return soundset;
}

// Frames from a note-on to the kit's first non-zero sample, rendered here without any program.
int kitOnsetFrames(const SoundsetImage& soundset) {
  stk::Stk::setSampleRate(44100);
  stk::ZorvDrumKit kit;
  for (int drum = 0; drum < SoundsetImage::kDrums; drum++)
    for (int param = 0; param < SoundsetImage::kParams; param++)
      kit.setParam(drum, param, soundset.value[drum][param]);
  applyNoteMessage(kit, 9, kNoteOn, kDrum0, 100);
  float block[64];
  for (int frame = 0; frame < 4096; frame += 64) {
    kit.renderBlock(block, 64);
    for (int i = 0; i < 64; i++)
      if (block[i] != 0.0f) return frame + i;
  }
  return -1;
}

struct Spread {
  std::vector<long long> offsets; // onset minus send frame minus the kit's own onset, sorted
  int lost = 0;
  std::uint64_t xruns = 0;
  long long median() const { return offsets[offsets.size() / 2]; }
};

// One program run at `period` frames: kNotes notes at random offsets, each after silence.
Spread measure(int period, bool oneClient, int kitOnset, unsigned seed) {
  Spread spread;
  JackServer server(period, 44100);
  EXPECT_TRUE(server.start());
  NoteProbe probe;
  EXPECT_TRUE(probe.open(server.name()));
  ProgramProcess program;
  {
    const std::vector<unsigned char> bytes = fastSoundset().bytes();
    std::ofstream(program.workDir() + "/" + SoundsetImage::fileName(1), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  std::vector<std::string> args = {"--options"};
  if (!oneClient) args.push_back("--split-clients");
  for (const char* option : {"--midi-api", "jack", "--audio-api", "jack", "--virtual", "--no-lcd"})
    args.emplace_back(option);
  args.insert(args.end(), {"--notes-in", probe.senderPort(), "-b", std::to_string(period)});
  EXPECT_TRUE(program.start(runnerPath(), args, server.name()));
  EXPECT_TRUE(probe.connectProgramAudio(20)) << program.standardError();
  EXPECT_TRUE(probe.waitForListener(20)) << program.standardError();

  std::mt19937 random(seed);
  const std::uint32_t silence = probe.sampleRate() / 50; // 20 ms
  for (int i = 0; i < kNotes && !::testing::Test::HasFatalFailure(); i++) {
    EXPECT_TRUE(probe.waitForSilence(silence, 5));
    const long long sent = probe.send({kNoteOn, kDrum0, 100}, random() % std::uint32_t(period));
    const long long onset = sent < 0 ? -1 : probe.onsetFrom(std::uint64_t(sent - period), 1.0);
    probe.send({0x89, kDrum0, 0}, 0);
    if (onset < 0) {
      spread.lost++;
      continue;
    }
    spread.offsets.push_back(onset - sent - kitOnset);
  }
  spread.xruns = probe.xruns();
  EXPECT_TRUE(program.interrupt(5));
  EXPECT_EQ(program.exitStatus(), 0) << program.standardError();
  std::sort(spread.offsets.begin(), spread.offsets.end());
  return spread;
}

void print(const char* path, int period, const Spread& spread) {
  if (spread.offsets.empty()) return;
  std::printf("%s, period %4d: %zu notes, onset - send frame: median %lld, min %lld, max %lld "
              "frames; lost %d; xruns %llu\n",
              path, period, spread.offsets.size(), spread.median(), spread.offsets.front(),
              spread.offsets.back(), spread.lost, (unsigned long long)spread.xruns);
}

class Jitter : public ::testing::TestWithParam<int> {};

TEST_P(Jitter, EveryNoteSoundsOnItsOwnFrameOnTheOneClient) {
  const int period = GetParam();
  const int kitOnset = kitOnsetFrames(fastSoundset());
  ASSERT_GE(kitOnset, 0);

  const Spread one = measure(period, true, kitOnset, 1000u + unsigned(period));
  ASSERT_FALSE(HasFatalFailure());
  print("one client   ", period, one);
  const Spread split = measure(period, false, kitOnset, 1000u + unsigned(period));
  print("split clients", period, split);

  // A note is lost only when the server dropped MIDI in an xrun.
  if (one.xruns == 0) {
    EXPECT_EQ(one.lost, 0);
  }
  ASSERT_FALSE(one.offsets.empty());
  EXPECT_EQ(one.offsets.front(), 0) << "a note sounded early";
  if (one.xruns == 0) {
    EXPECT_EQ(one.offsets.back(), 0) << "a note sounded late";
  }
  RecordProperty("median", std::to_string(one.median()));
  RecordProperty("max", std::to_string(one.offsets.back()));
}

INSTANTIATE_TEST_SUITE_P(Periods, Jitter, ::testing::Values(64, 256, 1024));

} // namespace
