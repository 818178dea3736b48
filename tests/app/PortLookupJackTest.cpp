// Port lookup against a private JACK2 server, whose MIDI ports RtMidi's JACK back end lists as
// "client:port"; a client "ReMOTE ZeRO SL 20" with ports "0" and "1" carries the controller's
// names.
#include "support/JackServer.h"
#include "utilities.h"

#include <gtest/gtest.h>
#include <jack/jack.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A JACK client with MIDI ports: outputs are sources for an input lookup, inputs are
// destinations for an output lookup.
class PortOwner {
public:
  PortOwner(const JackServer& server, const std::string& clientName, unsigned long direction,
            const std::vector<std::string>& portNames) {
    jack_status_t status;
    client_ = jack_client_open(
        clientName.c_str(), jack_options_t(JackNoStartServer | JackServerName | JackUseExactName),
        &status, server.name().c_str());
    EXPECT_NE(client_, nullptr) << "client " << clientName;
    if (client_ == nullptr) return;
    for (const std::string& name : portNames) {
      jack_port_t* port =
          jack_port_register(client_, name.c_str(), JACK_DEFAULT_MIDI_TYPE, direction, 0);
      EXPECT_NE(port, nullptr) << "port " << name;
      ports_.push_back(port);
    }
    EXPECT_EQ(jack_activate(client_), 0);
  }
  ~PortOwner() {
    if (client_) jack_client_close(client_);
  }
  // How many connections port i has. The server takes up a new connection at its next cycle, so
  // a count below `atLeast` is looked at again for up to a second.
  int connections(size_t i, int atLeast = 0) const {
    int count = jack_port_connected(ports_.at(i));
    for (int tries = 0; count < atLeast && tries < 100; tries++) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      count = jack_port_connected(ports_.at(i));
    }
    return count;
  }

private:
  jack_client_t* client_ = nullptr;
  std::vector<jack_port_t*> ports_;
};

class PortLookup : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server.start()) << "jackd did not start";
    server.makeDefault();
  }

  template <class Lookup> std::string printedBy(Lookup lookup) {
    testing::internal::CaptureStdout();
    lookup();
    return testing::internal::GetCapturedStdout();
  }
  std::unique_ptr<RtMidiIn> input(const std::string& name, std::string& printed) {
    RtMidiIn* in = nullptr;
    printed = printedBy([&] { in = stk::midiInputPortNamed(name, RtMidi::UNIX_JACK); });
    return std::unique_ptr<RtMidiIn>(in);
  }
  std::unique_ptr<RtMidiOut> output(const std::string& name, std::string& printed) {
    RtMidiOut* out = nullptr;
    printed = printedBy([&] { out = stk::midiOutputPortNamed(name, RtMidi::UNIX_JACK); });
    return std::unique_ptr<RtMidiOut>(out);
  }

  JackServer server;
};

const std::string kTwoSources = "\nThere are 2 MIDI input sources available.\n"
                                " #0: ReMOTE ZeRO SL 20:0\n"
                                " #1: ReMOTE ZeRO SL 20:1\n";

TEST_F(PortLookup, InputLookupListsThePortsAndOpensTheOneNamed) {
  PortOwner controller(server, "ReMOTE ZeRO SL 20", JackPortIsOutput, {"0", "1"});
  std::string printed;

  std::unique_ptr<RtMidiIn> control = input("ReMOTE ZeRO SL 20:1", printed);
  ASSERT_NE(control, nullptr);
  EXPECT_TRUE(control->isPortOpen());
  EXPECT_EQ(printed, kTwoSources + "Trying to open port 1\n");
  EXPECT_EQ(controller.connections(1, 1), 1);
  EXPECT_EQ(controller.connections(0), 0);

  // A match at index 0 ends the listing there.
  std::unique_ptr<RtMidiIn> note = input("ReMOTE ZeRO SL 20:0", printed);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(printed, "\nThere are 2 MIDI input sources available.\n"
                     " #0: ReMOTE ZeRO SL 20:0\n"
                     "Trying to open port 0\n");
  EXPECT_EQ(controller.connections(0, 1), 1);
}

TEST_F(PortLookup, OutputLookupOpensTheDisplayPort) {
  PortOwner controller(server, "ReMOTE ZeRO SL 20", JackPortIsInput, {"0"});
  std::string printed;
  std::unique_ptr<RtMidiOut> display = output("ReMOTE ZeRO SL 20:0", printed);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(printed, "\nThere are 1 MIDI output destinations available.\n"
                     " #0: ReMOTE ZeRO SL 20:0\n"
                     "Trying to open port 0\n");
  EXPECT_EQ(controller.connections(0, 1), 1);
}

TEST_F(PortLookup, OnlyTheExactNameOrTheJoinedFormMatches) {
  PortOwner controller(server, "ReMOTE ZeRO SL 20", JackPortIsOutput, {"0", "1"});
  std::string printed;
  for (const char* name :
       {"ReMOTE ZeRO SL", "ReMOTE ZeRO SL 20", "remote zero sl 20:0", "ReMOTE ZeRO SL 24:0"}) {
    EXPECT_EQ(input(name, printed), nullptr) << name;
    EXPECT_EQ(printed,
              kTwoSources + "ERROR specified port (" + std::string(name) + ") not found.\n");
  }
  EXPECT_EQ(controller.connections(0) + controller.connections(1), 0);
}

TEST_F(PortLookup, JoinedNamesMatchAndTheFirstMatchWins) {
  // Listed as "ReMOTE ZeRO SL:<port name> C:P", as the library names ALSA sequencer ports.
  PortOwner controller(server, "ReMOTE ZeRO SL", JackPortIsOutput,
                       {"MIDI 1 24:0", "MIDI 1 20:0", "MIDI 2 20:0"});
  std::string printed;
  std::unique_ptr<RtMidiIn> note = input("ReMOTE ZeRO SL 20:0", printed);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(printed, "\nThere are 3 MIDI input sources available.\n"
                     " #0: ReMOTE ZeRO SL:MIDI 1 24:0\n"
                     " #1: ReMOTE ZeRO SL:MIDI 1 20:0\n"
                     "Trying to open port 1\n");
  EXPECT_EQ(controller.connections(1, 1), 1);
  EXPECT_EQ(controller.connections(0), 0);
  EXPECT_EQ(controller.connections(2), 0);
}

TEST_F(PortLookup, NoPortsAtAllIsNotFound) {
  std::string printed;
  EXPECT_EQ(input("ReMOTE ZeRO SL 20:1", printed), nullptr);
  EXPECT_EQ(printed, "\nThere are 0 MIDI input sources available.\n"
                     "ERROR specified port (ReMOTE ZeRO SL 20:1) not found.\n");
  EXPECT_EQ(output("ReMOTE ZeRO SL 20:0", printed), nullptr);
  EXPECT_EQ(printed, "\nThere are 0 MIDI output destinations available.\n"
                     "ERROR specified port (ReMOTE ZeRO SL 20:0) not found.\n");
}

} // namespace
