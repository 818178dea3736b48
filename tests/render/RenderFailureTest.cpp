// Bad input and bad options: one line on standard error naming the file and the fault, status 1
// (2 for options), no file left behind, and an existing output file exactly as it was.
#include "RenderRig.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace renderrig;

namespace {

const Bytes kKept = {'k', 'e', 'e', 'p'};
const Bytes kHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0}; // 1 track
const Bytes kTrack = {'M', 'T', 'r', 'k', 0, 0, 0};                             // + 1 length byte

// The render with these arguments fails on `file` for `fault`; out.wav, kept, stays.
void expectRefused(const Scratch& s, std::vector<std::string> args, const std::string& file,
                   const std::string& fault) {
  s.write("out.wav", kKept);
  const auto before = s.names();
  const Outcome run = render(args);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tambrel-render: " + file + ": " + fault + "\n");
  EXPECT_TRUE(run.out.empty());
  EXPECT_EQ(s.names(), before);
  EXPECT_EQ(readBytes(s.path("out.wav")), kKept);
}

TEST(RenderFailure, BadMidiFiles) {
  const std::pair<Bytes, std::string> files[] = {
      {{'R', 'I', 'F', 'F', 0, 0}, "not a Standard MIDI File (it does not begin with \"MThd\")"},
      {{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, "truncated header chunk"},
      {kHeader, "the header announces 1 track, the file holds 0"},
      {kHeader + Bytes{'M', 'T', 'r'}, "truncated chunk at byte 14"},
      {kHeader + kTrack + Bytes{100} + Bytes(12, 0),
       "track 0 at byte 14 claims 100 bytes, the file holds 12 more"},
      {kHeader + kTrack + Bytes{3, 0x00, 0x99, 36},
       "track 0, byte 24: channel message runs past the end of the track"},
      {kHeader + kTrack + Bytes{1, 0x00}, "track 0, byte 23: event runs past the end of the track"},
      {kHeader + kTrack + Bytes{3, 0x00, 36, 100},
       "track 0, byte 23: data byte 0x24 without a status byte"},
  };
  for (const auto& [bytes, fault] : files) {
    SCOPED_TRACE(fault);
    Scratch s;
    const std::string in = s.write("in.mid", bytes);
    expectRefused(s, {in, "-o", s.path("out.wav")}, in, fault);
  }
  Scratch s;
  expectRefused(s, {s.path("none.mid"), "-o", s.path("out.wav")}, s.path("none.mid"),
                "cannot open: No such file or directory");
  expectRefused(s, {s.path("."), "-o", s.path("out.wav")}, s.path("."), "not a regular file");
  expectRefused(s, {"-o", s.path("out.wav"), "--soundset", s.path("none.dat")}, s.path("none.dat"),
                "cannot open: No such file or directory");
}

TEST(RenderFailure, OutputsThatCannotBeWritten) {
  Scratch s;
  s.write("keep.mp4", kKept);
  expectRefused(s, {"-o", s.path("keep.mp4")}, s.path("keep.mp4"),
                "unknown file type \".mp4\" (the name must end in .wav, .flac, .ogg, .oga, .aif "
                "or .aiff)");
  EXPECT_EQ(readBytes(s.path("keep.mp4")), kKept);
  expectRefused(s, {"-o", s.path("out.flac"), "--format", "f32"}, s.path("out.flac"),
                "FLAC holds 16 or 24-bit samples, not f32 (use --format s16 or s24)");
  expectRefused(s, {"-o", s.path("none/out.wav")}, s.path("none/out.wav"),
                "cannot create a file beside it: No such file or directory");
  mkdir(s.path("dir.wav").c_str(), 0755);
  expectRefused(s, {"-o", s.path("dir.wav")}, s.path("dir.wav"), "is a directory");
}

TEST(RenderFailure, AnInterruptedRenderLeavesTheOldFile) {
  Scratch s;
  s.write("out.wav", kKept);
  const Outcome run = render({"-o", s.path("out.wav"), "--length", "3600", "-q"}, 500);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tambrel-render: " + s.path("out.wav") + ": interrupted; nothing written\n");
  EXPECT_EQ(s.names(), std::vector<std::string>{"out.wav"});
  EXPECT_EQ(readBytes(s.path("out.wav")), kKept);
}

TEST(RenderFailure, BadOptionsAreUsageErrors) {
  Scratch s;
  const std::string out = s.path("out.wav");
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"-o", out, "--channel", "0"},
      {"-o", out, "--format", "s8"},
      {"-o", out, "--length", "2", "--max-tail", "1"},
      {"-o", out, "--transfer-drum", "2"},
      {"-o", out, "--rate", "44.1k"},
      {"-o", out, "--loud"},
  };
  for (const auto& args : bad) {
    const Outcome run = render(args);
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(run.err.rfind("tambrel-render: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err; // one line
  }
  EXPECT_TRUE(s.names().empty());
  const Outcome help = render({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(std::string(help.out.begin(), help.out.end()).find("--max-tail"), std::string::npos);
}

} // namespace
