// The program's output: the demo's golden render, reproducible seeds, standard output, lengths,
// and files that sox accepts.
#include "RenderRig.h"

#include "SoundsetFormat.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

using namespace renderrig;

namespace {

const std::string kSeed = "1234567890";

// The demo's groove: a quarter note of silence, then its last message (a release) at tick 8160
// of 480 per quarter at 120 BPM, 8.5 s.
const size_t kFirstNote = 22050;
const size_t kLastMessage = 374850;

uint64_t fnv1a(const std::vector<float>& samples) {
  uint64_t hash = 14695981039346656037ull;
  for (float x : samples) {
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    for (int i = 0; i < 4; ++i)
      hash = (hash ^ ((bits >> (8 * i)) & 0xFF)) * 1099511628211ull;
  }
  return hash;
}

// A soundset of the default sounds with every drum but `drum` silenced (noise and tone level 0).
Bytes soloSoundset(int drum) {
  stk::ZorvDrumKit kit(1);
  stk::Soundset soundset;
  const stk::ControlAssignment slots[16] = {};
  stk::SoundsetFormat::capture(kit, slots, soundset);
  for (int d = 0; d < 5; ++d)
    if (d != drum)
      soundset.drums[d].params[stk::ZorvDrum::NOISE_LEVEL] =
          soundset.drums[d].params[stk::ZorvDrum::OSC_LEVEL] = 0.0;
  Bytes bytes(stk::SoundsetFormat::kSoundsetBytes);
  stk::SoundsetFormat::encode(soundset, bytes.data());
  return bytes;
}

std::string shell(const std::string& command, int* status) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[256];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
    text.append(buffer, n);
  *status = pclose(pipe);
  return text;
}

TEST(RenderOutput, DemoGoldenRender) {
  Scratch s;
  const Outcome run = render({"-o", s.path("demo.wav"), "--seed", kSeed, "--format", "f32", "-q"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Audio audio = readAudio(s.path("demo.wav"));
  ASSERT_EQ(audio.channels, 2);
  EXPECT_EQ(audio.rate, 44100);
  std::vector<float> left, right;
  for (size_t i = 0; i < audio.samples.size(); i += 2) {
    left.push_back(audio.samples[i]);
    right.push_back(audio.samples[i + 1]);
  }
  EXPECT_EQ(right, left);

  // Stored from this implementation.
  ASSERT_EQ(left.size(), 382018u);
  EXPECT_EQ(fnv1a(left), 0x10fc880c81d3b857u); // FNV-1a of the samples' bytes, little-endian
  const size_t at[] = {22050, 22051, 22100, 44150, 176450, 300000};
  const float expected[] = {-0x1.fafb38p-10f, -0x1.bc2cc4p-7f, -0x1.d56de6p-4f,
                            -0x1.a31458p-3f,  -0x1.6c8c0cp-4f, -0x1.eff354p-5f};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(left[at[i]], expected[i]) << "frame " << at[i];

  // Without the stored numbers: silence until the first note, which sounds at once; the tail in
  // whole 64-frame blocks after the last message, the last of them where the drums came to rest.
  ASSERT_GT(left.size(), kLastMessage + 64);
  EXPECT_EQ(onsets(left).front(), kFirstNote);
  EXPECT_EQ((left.size() - kLastMessage) % 64, 0u);
  EXPECT_EQ(left.back(), 0.0f);
  bool soundsInLastBlock = false;
  for (size_t i = left.size() - 64; i < left.size(); ++i)
    soundsInLastBlock = soundsInLastBlock || left[i] != 0.0f;
  EXPECT_TRUE(soundsInLastBlock);
}

TEST(RenderOutput, EachDrumOfTheDemoStartsOnItsBeat) {
  // First hits: kick and closed hat on beat 1 of bar 1, snare on beat 2, open hat on the "and"
  // of beat 4 (step 14), clap on beat 4 of bar 2; each frame = (480 + ticks) / 960 s * 44100.
  const size_t firstHit[] = {22050, 44100, 176400, 22050, 99225};
  Scratch s;
  for (int drum = 0; drum < 5; ++drum) {
    const std::string soundset = s.write("solo.dat", soloSoundset(drum));
    const Outcome run = render({"-o", s.path("solo.wav"), "--seed", kSeed, "--format", "f32",
                                "--mono", "--soundset", soundset});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<size_t> found = onsets(readAudio(s.path("solo.wav")).samples);
    ASSERT_FALSE(found.empty()) << "drum " << drum;
    EXPECT_EQ(found.front(), firstHit[drum]) << "drum " << drum;
  }
}

TEST(RenderOutput, ATransferFileSetsOnlyItsDrumAfterTheSoundset) {
  Scratch s;
  const std::string snareOnly = s.write("solo.dat", soloSoundset(1));
  const std::string silent = s.write("silent.dat", Bytes(168, 0)); // every parameter 0
  auto onsetsWith = [&](const char* drum) {
    render({"-o", s.path("t.wav"), "--mono", "--soundset", snareOnly, "--transfer", silent,
            "--transfer-drum", drum});
    return onsets(readAudio(s.path("t.wav")).samples);
  };
  EXPECT_EQ(onsetsWith("1"), std::vector<size_t>{});
  EXPECT_EQ(onsetsWith("0").at(0), 44100u);
}

TEST(RenderOutput, SameSeedSameBytesAndStandardOutputIsTheFile) {
  Scratch s;
  ASSERT_EQ(render({"-o", s.path("a.wav"), "--seed", "42"}).status, 0);
  ASSERT_EQ(render({"-o", s.path("b.wav"), "--seed", "42"}).status, 0);
  ASSERT_EQ(render({"-o", s.path("c.wav"), "--seed", "43"}).status, 0);
  const Bytes a = readBytes(s.path("a.wav"));
  EXPECT_EQ(readBytes(s.path("b.wav")), a);
  EXPECT_NE(readBytes(s.path("c.wav")), a);
  const Outcome piped = render({"-o", "-", "--seed", "42"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, a);
  EXPECT_EQ(piped.err, "");

  // The clock's seed, as printed, repeats a render made without one.
  const Outcome clocked = render({"-o", s.path("clock.wav"), "--verbose"});
  unsigned seed = 0;
  ASSERT_EQ(std::sscanf(clocked.err.c_str(), "tambrel-render: seed %u", &seed), 1) << clocked.err;
  ASSERT_EQ(render({"-o", s.path("again.wav"), "--seed", std::to_string(seed)}).status, 0);
  EXPECT_EQ(readBytes(s.path("again.wav")), readBytes(s.path("clock.wav")));
}

TEST(RenderOutput, LengthIsExactOrTheTailIsCapped) {
  Scratch s;
  ASSERT_EQ(render({"-o", s.path("l.wav"), "--length", "1.5", "--mono"}).status, 0);
  const Audio cut = readAudio(s.path("l.wav"));
  EXPECT_EQ(cut.channels, 1);
  EXPECT_EQ(cut.frames(), 66150u);
  ASSERT_EQ(render({"-o", s.path("t.wav"), "--max-tail", "0.1"}).status, 0);
  EXPECT_EQ(readAudio(s.path("t.wav")).frames(), kLastMessage + 4410);
  ASSERT_EQ(render({"-o", s.path("p.wav"), "--length", "12"}).status, 0);
  EXPECT_EQ(readAudio(s.path("p.wav")).frames(), 529200u); // padded with silence
}

TEST(RenderOutput, SoxReadsEveryContainer) {
  Scratch s;
  const struct {
    std::string name, format, encoding;
  } files[] = {{"demo.wav", "s24", "24-bit Signed Integer PCM"}, // the defaults
               {"d.flac", "s16", "16-bit FLAC"},
               {"d.ogg", "s24", "Vorbis"},
               {"d.aiff", "f32", "32-bit Floating Point PCM"}};
  for (const auto& f : files) {
    const std::string path = s.path(f.name);
    ASSERT_EQ(render({"-o", path, "--format", f.format}).status, 0);
    int status = 0;
    const std::string info = shell("soxi '" + path + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << info;
    for (const std::string& line :
         {std::string("Channels       : 2"), std::string("Sample Rate    : 44100"), f.encoding})
      EXPECT_NE(info.find(line), std::string::npos) << info;
    shell("sox '" + path + "' -n stat 2>&1", &status); // decodes every sample
    EXPECT_EQ(status, 0) << f.name;
  }
}

} // namespace
