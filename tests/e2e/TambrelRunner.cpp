// Runs the program's own start-up on RtMidi's JACK back end with the port names given:
//   tambrel_e2e_runner CONTROL_PORT NOTE_PORT DISPLAY_PORT [TIMING_FILE]
// With a timing file, every audio callback is timed and a summary is written there at exit.
#include "CallbackTimer.h"
#include "tambrel.h"

#include <execinfo.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

namespace {
// A crash of the program in a test leaves its stack on standard error, then ends as it would.
void reportCrash(int signalNumber) {
  const char header[] = "\ncrash: the program received a fatal signal; stack:\n";
  if (write(2, header, sizeof header - 1) < 0) return;
  void* frames[64];
  backtrace_symbols_fd(frames, backtrace(frames, 64), 2);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}
} // namespace

int main(int argc, char** argv) {
  for (int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
    signal(fatal, reportCrash);
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
