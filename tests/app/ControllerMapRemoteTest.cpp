// Through the application's control input: the ReMOTE ZeRO SL's own map changes nothing, a
// generic controller's map does what the ReMOTE does, and a shared port leaves the map's notes.
#include "AppRig.h"
#include "ControllerMapLibrary.h"
#include "ControllerTranslator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct Input {
  Port port;
  Bytes bytes;
};

// Everything a run leaves behind: the logic's lines, the display's bytes, the files, the kit.
struct Outcome {
  std::string lines;
  std::vector<Bytes> display;
  std::map<std::string, std::string> files;
  std::vector<double> parameters;
  int channel = 0;
};

Outcome run(const ControllerMap* map, const std::vector<Input>& inputs, bool sharedPort = false) {
  AppRig rig; // its file worker is not started: the test does the worker's part in between
  rig.logic->random.reseed(12345);
  std::unique_ptr<ControllerTranslator> translator;
  if (map) {
    translator.reset(new ControllerTranslator(*map));
    rig.data.translator = translator.get();
    rig.data.notesShareControl = sharedPort;
  }
  for (const Input& input : inputs) {
    rig.queue(input.port, input.bytes);
    while (rig.data.messageQueue.pop(rig.data.pendingMessage)) {
      rig.data.messagePending = true;
      processMessage(&rig.data);
      // The file thread's work, then a Load's or Paste's content back to the logic.
      stk::FileResult result;
      for (rig.files.performPending(); rig.logic->awaitingRead() && rig.files.takeResult(result);
           rig.files.performPending())
        rig.logic->completeRead(result);
    }
  }
  Outcome outcome;
  FILE* lines = std::tmpfile();
  rig.console.drainTo(lines);
  std::rewind(lines);
  for (int c; (c = std::fgetc(lines)) != EOF;)
    outcome.lines += static_cast<char>(c);
  std::fclose(lines);
  outcome.display = rig.sent();
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    std::ifstream file(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    outcome.files[entry.path().filename().string()] = bytes.str();
  }
  for (int drum = 0; drum < rig.kit->nDrums; ++drum)
    for (int param = 0; param < rig.kit->getNParamsFor(drum); ++param)
      outcome.parameters.push_back(rig.kit->getParam(drum, param));
  outcome.channel = rig.data.midiChannel;
  return outcome;
}

void expectSame(const Outcome& with, const Outcome& without) {
  EXPECT_EQ(with.lines, without.lines);
  EXPECT_EQ(with.display, without.display);
  EXPECT_EQ(with.files, without.files);
  EXPECT_EQ(with.parameters, without.parameters);
  EXPECT_EQ(with.channel, without.channel);
}

ControllerMap shipped(const std::string& name) {
  ControllerMap map;
  std::string error;
  EXPECT_TRUE(ControllerMapLibrary::open(name, map, error)) << error;
  return map;
}

Input cc(int controller, int value, int channel = 0) {
  return {Port::Control,
          {static_cast<unsigned char>(0xB0 | channel), static_cast<unsigned char>(controller),
           static_cast<unsigned char>(value)}};
}

Input press(int controller) {
  return cc(controller, 1);
}

Input release(int controller) {
  return cc(controller, 0);
}

// The editing scenarios of the ReMOTE: values, parameter selection by encoder and pot, drum
// steps, Load and Save with odd values, Copy, Paste and Rand on drums and slots, channel and
// soundset stepping, sliders, unknown controllers, other channels, notes on the control port.
std::vector<Input> remoteScenarios() {
  std::vector<Input> in{cc(0, 65), cc(3, 0), cc(3, 127), cc(9, 100), cc(0, 63, 5)};
  for (Input step : {press(24), cc(0, 66), cc(0, 66), cc(0, 62), cc(0, 127), release(24)})
    in.push_back(step);
  for (Input step :
       {press(32), cc(8, 127), cc(8, 0), cc(8, 64), release(32), press(32), release(32), cc(8, 30)})
    in.push_back(step);
  for (Input step :
       {press(24), press(88), cc(2, 64), release(88), press(89), release(89), release(24)})
    in.push_back(step);
  for (Input step : {cc(75, 127), cc(76, 2), cc(76, 1), cc(0, 90), cc(75, 1)})
    in.push_back(step);
  for (Input step : {press(86), press(41), press(43), release(41), release(43), release(86),
                     press(87), press(42), release(42), release(87), press(86), press(87),
                     press(42), release(42), release(87), release(86)})
    in.push_back(step);
  for (Input step : {press(84), press(40), cc(1, 65), release(40), press(46), release(46),
                     press(25), cc(1, 65), release(25), release(84)})
    in.push_back(step);
  for (Input step : {press(85), press(90), release(90), press(91), release(91), press(91),
                     release(91), release(85), press(90), release(90), press(90), release(90),
                     cc(76, 1), press(91), release(91), cc(75, 1)})
    in.push_back(step);
  for (Input step : {cc(16, 40), cc(20, 0), cc(50, 1), cc(50, 0), cc(81, 5), cc(100, 3), cc(120, 0),
                     cc(88, 3, 9)})
    in.push_back(step);
  in.push_back({Port::Control, {0x99, 36, 100}});
  in.push_back({Port::Control, {0xE0, 0, 64}});
  in.push_back({Port::Note, {0x99, 36, 100}});
  in.push_back({Port::Note, {0x89, 36, 0}});
  return in;
}

TEST(ControllerMapRemote, TheReMoteMapBehavesExactlyAsNoMap) {
  const ControllerMap remote = shipped("remote-zero-sl");
  const Outcome without = run(nullptr, remoteScenarios());
  const Outcome with = run(&remote, remoteScenarios());
  ASSERT_GT(without.files.size(), 1u); // the scenarios did save
  expectSame(with, without);
}

TEST(ControllerMapRemote, TheReMoteMapPassesEveryMessageUnchanged) {
  const ControllerMap remote = shipped("remote-zero-sl");
  ControllerTranslator translator(remote);
  for (int status = 0x80; status <= 0xEF; ++status)
    for (int data1 = 0; data1 < 128; ++data1)
      for (int data2 = 0; data2 < 128; data2 += 1) {
        const unsigned char bytes[3] = {static_cast<unsigned char>(status),
                                        static_cast<unsigned char>(data1),
                                        static_cast<unsigned char>(data2)};
        const auto result = translator.translate(bytes, 3);
        if (result.verdict == ControllerTranslator::Verdict::Pass) continue;
        ASSERT_EQ(result.verdict, ControllerTranslator::Verdict::Translated);
        ASSERT_EQ(status & 0xF0, 0xB0);
        ASSERT_EQ(result.count, 1);
        ASSERT_EQ(result.controller, data1);
        ASSERT_EQ(result.value, data2);
      }
}

TEST(ControllerMapRemote, AGenericControllerEditsAsTheReMoteDoes) {
  // Knobs on channel 1 as absolute CCs, pads as notes.
  ControllerMap generic;
  std::string error;
  ASSERT_TRUE(ControllerMap::parse(R"({"controls": {
      "pot 1": {"cc": 21, "channel": 1}, "encoder 2": {"cc": 22, "channel": 1},
      "assign pot 1": {"note": 36, "channel": 1}, "save": {"note": 37, "channel": 1},
      "load": {"note": 38, "channel": 1}, "up": {"note": 39, "channel": 1}}})",
                                   generic, error))
      << error;
  const Input padOn36{Port::Control, {0x90, 36, 90}}, padOff36{Port::Control, {0x80, 36, 0}};
  auto pad = [](int note, bool on) {
    return Input{Port::Control,
                 {static_cast<unsigned char>(on ? 0x90 : 0x80), static_cast<unsigned char>(note),
                  static_cast<unsigned char>(on ? 100 : 0)}};
  };
  const std::vector<Input> played{padOn36,        cc(21, 100),   padOff36,       cc(21, 77),
                                  cc(22, 10),     cc(22, 14),    cc(22, 3),      pad(39, true),
                                  pad(39, false), pad(37, true), pad(37, false), pad(38, true),
                                  pad(38, false), cc(23, 5),     pad(40, true)};
  const std::vector<Input> remote{press(32),   cc(8, 100), release(32), cc(8, 77),   cc(1, 64),
                                  cc(1, 68),   cc(1, 53),  press(90),   release(90), press(76),
                                  release(76), press(75),  release(75)};
  expectSame(run(&generic, played), run(nullptr, remote));
}

TEST(ControllerMapRemote, OnAPortSharedWithTheNotesTheMapsPadsDoNotPlay) {
  ControllerMap map;
  std::string error;
  ASSERT_TRUE(
      ControllerMap::parse(R"({"controls": {"rand": {"note": 36, "channel": 10}}})", map, error));
  // The port's note 36 reaches both inputs; note 38 is nobody's control and plays.
  const std::vector<Input> both{{Port::Control, {0x99, 36, 100}},
                                {Port::Note, {0x99, 36, 100}},
                                {Port::Control, {0x99, 38, 100}},
                                {Port::Note, {0x99, 38, 100}}};
  const Outcome shared = run(&map, both, true);
  const Outcome apart = run(&map, both, false);
  const std::string mark36 = "4,0:*", mark38 = "4,1:*";
  auto marks = [](const Outcome& outcome) {
    std::vector<std::string> found;
    for (const Bytes& m : outcome.display)
      if (m.size() >= 16 && m[6] == 0x20 && m[13] == 4)
        found.push_back("4," + std::to_string(m[12]) + ":" +
                        std::string(m.begin() + 15, m.end() - 1));
    return found;
  };
  EXPECT_EQ(marks(shared), std::vector<std::string>{mark38});
  EXPECT_EQ(marks(apart), (std::vector<std::string>{mark36, mark38}));
  EXPECT_NE(shared.lines.find("84 1\n"), std::string::npos); // the pad pressed Rand
}

} // namespace
