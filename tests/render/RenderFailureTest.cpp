// Bad input and bad options: one line on standard error naming the file and the fault, status 1
// (2 for options), no file left behind, and an existing output file exactly as it was.
#include "RenderRig.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace renderrig;

namespace {

const Bytes kKept = {'k', 'e', 'e', 'p'};
const Bytes kHeader = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0}; // 1 track

struct Case {
  const char* what;
  Bytes input;           // written as in.mid unless empty
  std::string inputName; // the argument naming the input; "" for the built-in groove
  std::string output;    // name in the scratch directory
  std::vector<std::string> more;
  std::string faultyFile; // in the message: "" for the input, "out" for the output
  std::string fault;
};

TEST(RenderFailure, EveryBadFileIsNamedAndLeavesNothingBehind) {
  const Bytes cutTrack = kHeader + Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 3, 0x00, 0x99, 36};
  const Bytes endsAfterDelta = kHeader + Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 1, 0x00};
  const Bytes longTrack = kHeader + Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 100} + Bytes(12, 0);
  const Case cases[] = {
      {"missing input",
       {},
       "missing.mid",
       "out.wav",
       {},
       "",
       "cannot open: No such file or directory"},
      {"directory as input", {}, ".", "out.wav", {}, "", "not a regular file"},
      {"not MIDI",
       {'R', 'I', 'F', 'F', 0, 0},
       "in.mid",
       "out.wav",
       {},
       "",
       "not a Standard MIDI File (it does not begin with \"MThd\")"},
      {"header cut",
       {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0},
       "in.mid",
       "out.wav",
       {},
       "",
       "truncated header chunk"},
      {"chunk header cut",
       kHeader + Bytes{'M', 'T', 'r'},
       "in.mid",
       "out.wav",
       {},
       "",
       "truncated chunk at byte 14"},
      {"track past the file",
       longTrack,
       "in.mid",
       "out.wav",
       {},
       "",
       "track 0 at byte 14 claims 100 bytes, the file holds 12 more"},
      {"event past the track",
       cutTrack,
       "in.mid",
       "out.wav",
       {},
       "",
       "track 0, byte 24: channel message runs past the end of the track"},
      {"track ends after a delta",
       endsAfterDelta,
       "in.mid",
       "out.wav",
       {},
       "",
       "track 0, byte 23: event runs past the end of the track"},
      {"tracks missing",
       kHeader,
       "in.mid",
       "out.wav",
       {},
       "",
       "the header announces 1 tracks, the file holds 0"},
      {"unknown extension",
       smf(0, 480, {track({})}),
       "in.mid",
       "out.mp4",
       {},
       "out",
       "unknown file type \".mp4\" (the name must end in .wav, .flac, .ogg, .oga, .aif or .aiff)"},
      {"float FLAC",
       smf(0, 480, {track({})}),
       "in.mid",
       "out.flac",
       {"--format", "f32"},
       "out",
       "FLAC holds 16 or 24-bit samples, not f32 (use --format s16 or s24)"},
      {"no such directory",
       {},
       "",
       "none/out.wav",
       {},
       "out",
       "cannot create a file beside it: No such file or directory"},
      {"output is a directory", {}, "", "dir.wav", {}, "out", "is a directory"},
      {"missing soundset",
       {},
       "",
       "out.wav",
       {"--soundset", "none.dat"},
       "none.dat",
       "cannot open: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scratch s;
    std::vector<std::string> args;
    if (!c.input.empty()) s.write("in.mid", c.input);
    if (!c.inputName.empty()) args.push_back(s.path(c.inputName));
    if (c.output == "dir.wav")
      mkdir(s.path(c.output).c_str(), 0755);
    else if (c.output.find('/') == std::string::npos)
      s.write(c.output, kKept);
    args.insert(args.end(), {"-o", s.path(c.output)});
    for (const std::string& a : c.more)
      args.push_back(a == "none.dat" ? s.path(a) : a);
    const auto before = s.names();

    const Outcome run = render(args);
    EXPECT_EQ(run.status, 1);
    const std::string file = c.faultyFile == "out"  ? s.path(c.output)
                             : c.faultyFile.empty() ? s.path(c.inputName)
                                                    : s.path(c.faultyFile);
    EXPECT_EQ(run.err, "tambrel-render: " + file + ": " + c.fault + "\n");
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(s.names(), before);
    if (c.output.find('/') == std::string::npos && c.output != "dir.wav") {
      EXPECT_EQ(readBytes(s.path(c.output)), kKept);
    }
  }
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
