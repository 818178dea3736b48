// The map's options: a controller with a map has no display port unless one is named, and the
// listing and learning options refuse what they cannot use.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Parsed {
  int status;
  Settings settings;
  std::string err;
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
  parsed.err = err.str();
  return parsed;
}

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
