// Runs the program's own start-up on RtMidi's JACK back end with the port names given:
//   tambrel_e2e_runner CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]
// With a timing file, every audio callback is timed and a summary is written there at exit.
#include "CallbackTimer.h"
#include "CrashReport.h"
#include "tambrel.h"

#include <cstdio>

int main(int argc, char** argv) {
  CrashReport::install(); // a crash in a test leaves its stack on standard error
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]\n", argv[0]);
    return 2;
  }
  Settings settings;
  settings.controlIn = argv[1];
  settings.notesIn = argv[2];
  settings.lcdOut = argv[3];
  settings.midiApi = RtMidi::UNIX_JACK;
  if (argc > 4) settings.audioCallback = CallbackTimer::timedTick;
  const int status = runTambrel(settings);
  if (argc > 4) CallbackTimer::instance().write(argv[4]);
  return status;
}
