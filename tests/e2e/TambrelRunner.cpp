// Runs the program's own start-up on RtMidi's JACK back end with the port names given:
//   tambrel_e2e_runner CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]
// With a timing file, every audio callback is timed and a summary is written there at exit.
#include "CallbackTimer.h"
#include "tambrel.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]\n", argv[0]);
    return 2;
  }
  ControllerPorts ports;
  ports.control = argv[1];
  ports.note = argv[2];
  ports.display = argv[3];
  ports.api = RtMidi::UNIX_JACK;
  if (argc > 4) ports.audioCallback = CallbackTimer::timedTick;
  const int status = runTambrel(ports);
  if (argc > 4) CallbackTimer::instance().write(argv[4]);
  return status;
}
