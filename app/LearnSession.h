// tambrel --learn-controller FILE: asks for each control on the terminal, learns it from the
// control input and writes the map when the person types q or every control has been asked for.
#ifndef TAMBREL_LEARNSESSION_H
#define TAMBREL_LEARNSESSION_H

#include "ControllerLearner.h"
#include "MpscRing.h"
#include "Settings.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class LearnSession {
public:
  LearnSession(const Settings& settings, std::ostream& out, std::ostream& err);
  LearnSession(const LearnSession&) = delete;
  LearnSession& operator=(const LearnSession&) = delete;

  // Opens the control input, runs the questions, writes the file. The exit status: 0 written,
  // 1 when the port or the file failed or Ctrl-C ended the questions (nothing is written).
  int run();

  // Writes the map to `path` through a temporary file beside it, so that no half-written map is
  // ever left, making its folder when missing; false with a one-line reason.
  static bool write(const ControllerMap& map, const std::string& path, std::string& error);

private:
  struct Raw {
    uint8_t size = 0;
    unsigned char bytes[3] = {0, 0, 0};
  };
  static void onMessage(double, std::vector<unsigned char>* bytes, void* self);
  // The keys typed since the last look: 'q' to save, a line end to skip; -1 at the input's end.
  int readKey(int timeoutMs);
  void describe(const ControlBinding& binding);

  const Settings& settings_;
  std::ostream& out_;
  std::ostream& err_;
  MpscRing<Raw, 1024> incoming_; // from the MIDI thread
};

#endif
