// The options as a user types them, and the settings and exit statuses they lead to.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parsed {
  int status;
  Settings settings;
  std::string out, err;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "tambrel");
  std::vector<const char*> argv;
  for (const std::string& arg : args)
    argv.push_back(arg.c_str());
  Parsed parsed;
  std::ostringstream out, err;
  parsed.status =
      CommandLine::parse(static_cast<int>(argv.size()), argv.data(), parsed.settings, out, err);
  parsed.out = out.str();
  parsed.err = err.str();
  return parsed;
}

int lines(const std::string& text) {
  int count = 0;
  for (char c : text)
    count += c == '\n';
  return count;
}

TEST(CommandLine, NoArgumentsIsTheFixedConfiguration) {
  const Parsed p = parse({});
  ASSERT_EQ(p.status, CommandLine::kRun);
  EXPECT_EQ(p.out + p.err, "");
  const Settings& s = p.settings;
  EXPECT_EQ(s.portSource, PortSource::FixedNames);
  EXPECT_EQ(s.controlIn, "ReMOTE ZeRO SL 20:1");
  EXPECT_EQ(s.notesIn, "ReMOTE ZeRO SL 20:0");
  EXPECT_EQ(s.lcdOut, "ReMOTE ZeRO SL 20:0");
  EXPECT_TRUE(s.lcdPort);
  EXPECT_EQ(s.midiApi, RtMidi::UNSPECIFIED);
  EXPECT_EQ(s.audioApi, RtAudio::UNSPECIFIED);
  EXPECT_EQ(s.device, "");
  EXPECT_EQ(s.sampleRate, 44100u);
  EXPECT_FALSE(s.sampleRateGiven);
  EXPECT_EQ(s.bufferFrames, 40u);
  EXPECT_EQ(s.soundsetDir, "");
  EXPECT_FALSE(s.lcdView);
  EXPECT_FALSE(s.listPorts);
  EXPECT_EQ(s.audioCallback, nullptr);
}

TEST(CommandLine, EachOptionReachesTheSettings) {
  const Parsed p =
      parse({"--midi-api", "jack", "--audio-api", "pulse", "-d", "USB", "-r", "48000", "-b", "128",
             "--soundset-dir", "/tmp/sets", "--lcd-view", "--no-lcd", "--notes-in", "Keystation"});
  ASSERT_EQ(p.status, CommandLine::kRun) << p.err;
  const Settings& s = p.settings;
  EXPECT_EQ(s.midiApi, RtMidi::UNIX_JACK);
  EXPECT_EQ(s.audioApi, RtAudio::LINUX_PULSE);
  EXPECT_EQ(s.device, "USB");
  EXPECT_EQ(s.sampleRate, 48000u);
  EXPECT_TRUE(s.sampleRateGiven);
  EXPECT_EQ(s.bufferFrames, 128u);
  EXPECT_EQ(s.soundsetDir, "/tmp/sets");
  EXPECT_TRUE(s.lcdView);
  EXPECT_FALSE(s.lcdPort);
  EXPECT_EQ(s.lcdOut, "");
  EXPECT_EQ(s.portSource, PortSource::Selectors);
  EXPECT_EQ(s.notesIn, "Keystation");
  EXPECT_EQ(s.controlIn, "ReMOTE ZeRO SL 20:1"); // not given: the fixed name, as a selector

  EXPECT_EQ(parse({"--midi-api", "alsa", "--audio-api", "alsa"}).settings.midiApi,
            RtMidi::LINUX_ALSA);
  EXPECT_EQ(parse({"--audio-api", "jack"}).settings.audioApi, RtAudio::UNIX_JACK);
  EXPECT_TRUE(parse({"-l"}).settings.listPorts);
  EXPECT_TRUE(parse({"--list-ports", "--midi-api", "jack"}).settings.listPorts);

  // The note channel counts 1 .. 16 as MIDI players do; the JACK client's name is free.
  EXPECT_EQ(parse({}).settings.noteChannel, 10);
  EXPECT_EQ(parse({"--channel", "1"}).settings.noteChannel, 1);
  EXPECT_EQ(parse({"--channel", "16"}).settings.noteChannel, 16);
  EXPECT_EQ(parse({}).settings.jackName, "tambrel");
  EXPECT_EQ(parse({"--jack-name", "drums 2"}).settings.jackName, "drums 2");
  EXPECT_TRUE(parse({}).settings.oneJackClient);
}

TEST(CommandLine, AControllerNameStandsForItsThreePortsAndOwnPortsConnectOnlyWhatIsGiven) {
  Settings s = parse({"--controller", "ReMOTE ZeRO SL"}).settings;
  EXPECT_EQ(s.portSource, PortSource::Selectors);
  EXPECT_EQ(s.controlIn, "ReMOTE ZeRO SL:1");
  EXPECT_EQ(s.notesIn, "ReMOTE ZeRO SL:0");
  EXPECT_EQ(s.lcdOut, "ReMOTE ZeRO SL:0");

  s = parse({"--controller", "SL", "--notes-in", "Keystation"}).settings;
  EXPECT_EQ(s.controlIn, "SL:1");
  EXPECT_EQ(s.notesIn, "Keystation");

  s = parse({"--virtual"}).settings;
  EXPECT_EQ(s.portSource, PortSource::Virtual);
  EXPECT_EQ(s.controlIn + s.notesIn + s.lcdOut, "");

  s = parse({"--virtual", "--notes-in", "Keystation"}).settings;
  EXPECT_EQ(s.notesIn, "Keystation");
  EXPECT_EQ(s.controlIn + s.lcdOut, "");

  s = parse({"--virtual", "--controller", "SL"}).settings;
  EXPECT_EQ(s.portSource, PortSource::Virtual);
  EXPECT_EQ(s.controlIn, "SL:1");
}

TEST(CommandLine, ConflictsAndBadValuesAreUsageErrorsOfOneLine) {
  const std::vector<std::vector<std::string>> refused = {
      {"--no-lcd", "--lcd-out", "x"},
      {"--list-ports", "--virtual"},
      {"-l", "-r", "48000"},
      {"--list-ports", "--controller", "SL"},
      {"-r", "0"},
      {"-r", "forty"},
      {"-r", "1000000"},
      {"-b", "0"},
      {"-b", "-5"},
      {"--midi-api", "coreaudio"},
      {"--audio-api", "oss"},
      {"--channel", "0"},
      {"--channel", "17"},
      {"--channel", "ten"},
      {"--list-ports", "--channel", "1"},
      {"--list-ports", "--jack-name", "drums"},
      {"--controller"},
      {"--no-such-option"},
      {"stray"},
  };
  for (const auto& args : refused) {
    const Parsed p = parse(args);
    EXPECT_EQ(p.status, 2) << args[0];
    EXPECT_EQ(p.out, "") << args[0];
    EXPECT_EQ(lines(p.err), 1) << p.err;
    EXPECT_EQ(p.err.rfind("tambrel: ", 0), 0u) << p.err;
  }
}

TEST(CommandLine, HelpListsEveryOptionWithItsDefaultAndVersionNamesTheProgram) {
  const Parsed help = parse({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* text :
       {"--list-ports", "--control-in SEL=ReMOTE ZeRO SL 20:1",
        "--notes-in SEL=ReMOTE ZeRO SL 20:0", "--lcd-out SEL=ReMOTE ZeRO SL 20:0",
        "--controller NAME", "--virtual", "--no-lcd", "--midi-api auto|alsa|jack=auto",
        "--audio-api auto|jack|pulse|alsa=auto", "--device", "--sample-rate HZ=44100",
        "--buffer-frames N=40", "--soundset-dir DIR", "--lcd-view", "--version"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  EXPECT_EQ(parse({"-h"}).out, help.out);

  const Parsed version = parse({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tambrel ", 0), 0u);
  EXPECT_EQ(lines(version.out), 1);
}

TEST(CommandLine, PlaceChecksRefuseAMissingDirectoryAndAViewWithoutTerminal) {
  Settings s;
  std::ostringstream err;
  EXPECT_EQ(CommandLine::checkPlace(s, false, err), CommandLine::kRun);
  EXPECT_EQ(err.str(), "");

  s.lcdView = true;
  EXPECT_EQ(CommandLine::checkPlace(s, false, err), 2);
  EXPECT_NE(err.str().find("--lcd-view"), std::string::npos);
  EXPECT_EQ(CommandLine::checkPlace(s, true, err), CommandLine::kRun);

  s.lcdView = false;
  s.soundsetDir = "/nonexistent/tambrel-sets";
  err.str("");
  EXPECT_EQ(CommandLine::checkPlace(s, false, err), 1);
  EXPECT_EQ(err.str(), "tambrel: /nonexistent/tambrel-sets: no such directory (--soundset-dir)\n");

  char pattern[] = "/tmp/tambrel-sets-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  s.soundsetDir = pattern;
  err.str("");
  EXPECT_EQ(CommandLine::checkPlace(s, false, err), CommandLine::kRun);
  EXPECT_EQ(err.str(), "");
  // A file is no directory.
  const std::string file = s.soundsetDir + "/soundset  1.dat";
  std::fclose(std::fopen(file.c_str(), "w"));
  s.soundsetDir = file;
  EXPECT_EQ(CommandLine::checkPlace(s, false, err), 1);
  std::filesystem::remove_all(pattern);
}

// The controller map's options: a controller with a map has no display port unless one is
// named, and the listing and learning options refuse what they cannot use.
TEST(ControllerMapOptions, AMapWithoutLcdOutRunsWithoutADisplayPort) {
  const Parsed bare =
      parse({"--controller-map", "desk", "--control-in", "nano", "--notes-in", "nano"});
  ASSERT_EQ(bare.status, CommandLine::kRun);
  EXPECT_EQ(bare.settings.controllerMap, "desk");
  EXPECT_FALSE(bare.settings.lcdPort);
  EXPECT_EQ(bare.settings.lcdOut, "");

  const Parsed named =
      parse({"--controller-map", "desk", "--control-in", "nano", "--lcd-out", "screen"});
  ASSERT_EQ(named.status, CommandLine::kRun);
  EXPECT_TRUE(named.settings.lcdPort);
  EXPECT_EQ(named.settings.lcdOut, "screen");

  // --controller names the display port; --virtual has its own.
  EXPECT_TRUE(parse({"--controller-map", "remote-zero-sl", "--controller", "SL"}).settings.lcdPort);
  EXPECT_TRUE(parse({"--controller-map", "desk", "--virtual"}).settings.lcdPort);
  // Without a map nothing changes.
  EXPECT_TRUE(parse({"--control-in", "nano"}).settings.lcdPort);
}

TEST(ControllerMapOptions, ListingAndLearningRefuseOptionsTheyCannotUse) {
  EXPECT_EQ(parse({"--list-controller-maps"}).status, CommandLine::kRun);
  EXPECT_EQ(parse({"--list-controller-maps", "--controller-map", "desk"}).status, 2);
  EXPECT_EQ(parse({"--list-ports", "--controller-map", "desk"}).status, 2);
  EXPECT_EQ(parse({"--learn-controller", "out.json", "--control-in", "nano"}).status,
            CommandLine::kRun);
  const Parsed both = parse({"--learn-controller", "out.json", "--controller-map", "desk"});
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(both.err, "tambrel: --learn-controller excludes --controller-map (see --help)\n");
}

} // namespace
