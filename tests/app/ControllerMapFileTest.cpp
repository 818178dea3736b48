// Map files: what a map says survives writing and reading; every bad map is refused with its
// place and fault; names are looked up in the user's folder before the shipped maps.
#include "ControllerMap.h"
#include "ControllerMapLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

std::string faultOf(const std::string& text) {
  ControllerMap map;
  std::string error;
  EXPECT_FALSE(ControllerMap::parse(text, map, error)) << text;
  EXPECT_TRUE(map.bindings().empty());
  return error;
}

TEST(ControllerMapFile, AWrittenMapReadsBackTheSame) {
  ControllerMap map;
  std::string error;
  ASSERT_TRUE(ControllerMap::parse(R"({"name": "Desk", "comment": "from the manual",
      "pass_unmapped": true, "controls": {
        "encoder 8": {"cc": 3, "channel": 16, "encoding": "sign-magnitude"},
        "pot 1": {"cc": 4},
        "paste": {"note": 50, "channel": 10, "button": "toggle"}}})",
                                   map, error))
      << error;
  ControllerMap again;
  ASSERT_TRUE(ControllerMap::parse(map.toJson(), again, error)) << error;
  EXPECT_EQ(again.toJson(), map.toJson());
  EXPECT_EQ(again.name, "Desk");
  EXPECT_EQ(again.comment, "from the manual");
  EXPECT_TRUE(again.passUnmapped);
  ASSERT_EQ(again.bindings().size(), 3u);
  const ControlBinding& paste = again.bindings()[2];
  EXPECT_EQ(paste.controller, 87);
  EXPECT_EQ(paste.message, MessageKind::Note);
  EXPECT_EQ(paste.channel, 9);
  EXPECT_TRUE(paste.toggle);
  EXPECT_EQ(again.bindings()[0].encoding, Encoding::SignMagnitude);
  EXPECT_EQ(again.bindings()[1].channel, -1); // no channel: any
  EXPECT_EQ(again.bindingFor(MessageKind::Note, 9, 50), 2);
  EXPECT_EQ(again.bindingFor(MessageKind::Note, 8, 50), ControllerMap::kNone);
  EXPECT_EQ(again.bindingFor(MessageKind::ControlChange, 15, 3), 0);
  EXPECT_EQ(again.bindingFor(MessageKind::ControlChange, 0, 3), ControllerMap::kNone);
}

TEST(ControllerMapFile, BadMapsNameThePlaceAndTheFault) {
  EXPECT_EQ(faultOf(R"({"controls": {"pot 1": {"cc": 4})"),
            "parse error at line 1, column 33: syntax error while parsing object - unexpected "
            "end of input; expected '}'");
  EXPECT_EQ(faultOf(R"({"controls": {"knob 1": {"cc": 4}}})"),
            "/controls/knob 1: no control of that name (see the README)");
  EXPECT_EQ(faultOf(R"({"controls": {"pot 1": {"cc": 4}, "pot 2": {"cc": 4, "channel": 3}}})"),
            "/controls/pot 2: the same message as \"pot 1\"");
  EXPECT_EQ(faultOf(R"({"controls": {"copy": {"note": 4, "channel": 3}, "load": {"note": 4}}})"),
            "/controls/load: the same message as \"copy\"");
  EXPECT_EQ(faultOf(R"({"controls": {"pot 1": {"cc": 4}, "pot 1": {"cc": 5}}})"),
            "/controls/pot 1: given twice");
  EXPECT_EQ(faultOf(R"({"controls": {"pot 1": {"cc": 128}}})"),
            "/controls/pot 1/cc: 128 is not a whole number 0 .. 127");
  EXPECT_EQ(faultOf(R"({"controls": {"save": {"note": -1}}})"),
            "/controls/save/note: -1 is not a whole number 0 .. 127");
  EXPECT_EQ(faultOf(R"({"controls": {"save": {"cc": 1, "channel": 0}}})"),
            "/controls/save/channel: 0 is not a whole number 1 .. 16");
  EXPECT_EQ(faultOf(R"({"controls": {"save": {"cc": 1, "channel": 17}}})"),
            "/controls/save/channel: 17 is not a whole number 1 .. 16");
  EXPECT_EQ(faultOf(R"({"controls": {"save": {"cc": 1, "channel": "1"}}})"),
            "/controls/save/channel: \"1\" is not 1 .. 16 or \"any\"");
  EXPECT_EQ(faultOf(R"({"controls": {"save": {"cc": 1.5}}})"),
            "/controls/save/cc: 1.5 is not a whole number 0 .. 127");
  EXPECT_EQ(faultOf(R"({"controls": {"encoder 1": {"note": 1}}})"),
            "/controls/encoder 1/note: a knob sends control changes");
  EXPECT_EQ(faultOf(R"({"controls": {"encoder 1": {"cc": 1, "encoding": "binary"}}})"),
            "/controls/encoder 1/encoding: \"binary\" is not absolute, offset64, "
            "twos-complement or sign-magnitude");
  EXPECT_EQ(faultOf(R"({"controls": {"rand": {"cc": 1, "encoding": "offset64"}}})"),
            "/controls/rand/encoding: unknown key for a button");
  EXPECT_EQ(faultOf(R"({"controls": {"rand": {"cc": 1, "button": "latch"}}})"),
            "/controls/rand/button: \"latch\" is not momentary or toggle");
  EXPECT_EQ(faultOf(R"({"controls": {"rand": {"cc": 1, "note": 2}}})"),
            "/controls/rand: give either \"cc\" or \"note\"");
  EXPECT_EQ(faultOf(R"({"pass_unmapped": 1, "controls": {}})"),
            "/pass_unmapped: expected true or false, not 1");
  EXPECT_EQ(faultOf(R"({"controls": {}, "extra": 1})"), "/extra: unknown key");
  EXPECT_EQ(faultOf(R"({"name": "no controls"})"), "/controls: missing");
  EXPECT_EQ(faultOf("[]"), "/: expected an object, not []");
}

class ControllerMapFolders : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tambrel-maps-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    std::filesystem::create_directories(root + "/tambrel/controllers");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    if (old) saved = old;
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
  }
  void TearDown() override {
    if (saved.empty())
      unsetenv("XDG_CONFIG_HOME");
    else
      setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    std::filesystem::remove_all(root);
  }
  std::string root, saved;
};

TEST_F(ControllerMapFolders, PathsAreTakenAsGivenAndNamesFoundInTheUsersFolderFirst) {
  std::string path, error;
  EXPECT_TRUE(ControllerMapLibrary::resolve("mine.json", path, error));
  EXPECT_EQ(path, "mine.json");
  EXPECT_TRUE(ControllerMapLibrary::resolve("maps/mine", path, error));
  EXPECT_EQ(path, "maps/mine");

  // The shipped ReMOTE map is found by name until the user's folder has one of that name.
  ASSERT_TRUE(ControllerMapLibrary::resolve("remote-zero-sl", path, error)) << error;
  EXPECT_EQ(path, ControllerMapLibrary::shareFolder() + "/remote-zero-sl.json");
  const std::string own = root + "/tambrel/controllers/remote-zero-sl.json";
  std::ofstream(own) << R"({"name": "own", "controls": {}})";
  ASSERT_TRUE(ControllerMapLibrary::resolve("remote-zero-sl", path, error));
  EXPECT_EQ(path, own);

  EXPECT_FALSE(ControllerMapLibrary::resolve("no-such-map", path, error));
  EXPECT_EQ(error, "no-such-map: no controller map of that name in " + root +
                       "/tambrel/controllers or " + ControllerMapLibrary::shareFolder() +
                       " (see --list-controller-maps)");
  ControllerMap map;
  EXPECT_FALSE(ControllerMapLibrary::open(root + "/absent.json", map, error));
  EXPECT_EQ(error, root + "/absent.json: cannot be read");
}

TEST_F(ControllerMapFolders, EveryShippedMapReadsAndTheListNamesEachOnce) {
  const std::string share = ControllerMapLibrary::shareFolder();
  ASSERT_FALSE(share.empty());
  int shipped = 0;
  for (const auto& entry : std::filesystem::directory_iterator(share)) {
    ControllerMap map;
    std::string error;
    EXPECT_TRUE(ControllerMap::load(entry.path().string(), map, error)) << error;
    EXPECT_FALSE(map.name.empty()) << entry.path();
    EXPECT_FALSE(map.comment.empty()) << entry.path();
    ++shipped;
  }
  EXPECT_GE(shipped, 1);
  std::ofstream(root + "/tambrel/controllers/desk.json") << R"({"name": "Desk", "controls": {}})";
  std::ofstream(root + "/tambrel/controllers/broken.json") << "{";
  std::ostringstream listing;
  EXPECT_EQ(ControllerMapLibrary::list(listing), 0);
  const std::string text = listing.str();
  EXPECT_NE(text.find("desk\tDesk\t" + root + "/tambrel/controllers/desk.json\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("broken\t(unreadable: "), std::string::npos) << text;
  EXPECT_NE(text.find("remote-zero-sl\tNovation ReMOTE ZeRO SL"), std::string::npos) << text;
  size_t lines = 0;
  for (char c : text)
    lines += c == '\n';
  EXPECT_EQ(lines, static_cast<size_t>(shipped + 2));
}

} // namespace
