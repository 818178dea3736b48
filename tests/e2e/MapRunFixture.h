// Test fixture of the controller-map runs: a private JACK server, a user's folder of its own
// (so no map of the user's hides a shipped one) and one run of the program played to its end.
#ifndef TAMBREL_TESTS_E2E_MAPRUNFIXTURE_H
#define TAMBREL_TESTS_E2E_MAPRUNFIXTURE_H

#include "LcdMirror.h"
#include "TambrelSession.h"
#include "support/JackServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// What a run left: the LCD picture and the two soundsets it saved.
struct MapRunResult {
  LcdMirror::Rows lcd;
  std::string soundset1, soundset2;
  int notesMarked = 0; // LCD marks of drums played after the messages began
};

class ControllerMapJack : public ::testing::Test {
protected:
  // The generic controller's client; its port 1 sends everything.
  static constexpr const char* kDesk = "Desk 20";

  void SetUp() override;
  void TearDown() override;

  // Sends the messages on the controller's port 1, waits until the display has been quiet for
  // half a second, and ends the run with SIGINT (exit status 0 expected).
  MapRunResult play(const std::vector<Bytes>& messages);

  std::string config; // XDG_CONFIG_HOME of the runs
  std::unique_ptr<JackServer> server;
  std::unique_ptr<TambrelSession> session;
};

inline Bytes cc(int controller, int value) {
  return {0xB0, static_cast<unsigned char>(controller), static_cast<unsigned char>(value)};
}

inline Bytes pad(int note, bool down) {
  return {static_cast<unsigned char>(down ? 0x90 : 0x80), static_cast<unsigned char>(note),
          static_cast<unsigned char>(down ? 100 : 0)};
}

#endif
