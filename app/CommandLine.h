// The program's options: parsed with CLI11 into Settings, with --help, --version and the checks
// that need no port.
#ifndef TAMBREL_COMMANDLINE_H
#define TAMBREL_COMMANDLINE_H

#include <iosfwd>

#include "Settings.h"

class CommandLine {
public:
  // What parse() returns when the program should go on and run.
  static constexpr int kRun = -1;

  // Fills settings from the arguments. Returns kRun, or the exit status: 0 after --help or
  // --version (written to out), 2 after a usage error (one line on err).
  static int parse(int argc, const char* const* argv, Settings& settings, std::ostream& out,
                   std::ostream& err);

  // Start-up checks that open no port: the soundset directory, and a terminal for --lcd-view.
  // Returns kRun, or the exit status after a line on err (1: no such directory, 2: --lcd-view
  // without a terminal). A directory that cannot be written is reported and the run goes on.
  static int checkPlace(const Settings& settings, bool outputIsTerminal, std::ostream& err);
};

#endif
