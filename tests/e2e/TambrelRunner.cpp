// Runs the program's own start-up on RtMidi's JACK back end with the port names given:
//   tambrel_e2e_runner CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]
// With a timing file, every audio callback is timed and a summary is written there at exit.
//   tambrel_e2e_runner --options [--split-clients] PROGRAM_OPTIONS...
// runs with the program's own options; --split-clients keeps the MIDI library's ports and the
// audio library's stream even when both run on JACK (the path of the other back ends).
#include "CallbackTimer.h"
#include "CommandLine.h"
#include "CrashReport.h"
#include "tambrel.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  CrashReport::install(); // a crash in a test leaves its stack on standard error
  if (argc > 1 && std::string(argv[1]) == "--options") {
    Settings settings;
    int first = 1;
    if (argc > 2 && std::string(argv[2]) == "--split-clients") {
      settings.oneJackClient = false;
      first = 2;
    }
    argv[first] = argv[0];
    const int status =
        CommandLine::parse(argc - first, argv + first, settings, std::cout, std::cerr);
    return status == CommandLine::kRun ? runTambrel(settings) : status;
  }
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]\n", argv[0]);
    return 2;
  }
  Settings settings;
  settings.controlIn = argv[1];
  settings.notesIn = argv[2];
  settings.lcdOut = argv[3];
  settings.midiApi = RtMidi::UNIX_JACK;
  if (argc > 4) {
    settings.audioCallback = CallbackTimer::timedTick;
    settings.processWrapper = CallbackTimer::timedProcess;
  }
  const int status = runTambrel(settings);
  if (argc > 4) CallbackTimer::instance().write(argv[4]);
  return status;
}
