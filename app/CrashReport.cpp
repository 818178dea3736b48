// The fatal-signal handler: only async-signal-safe calls (write, backtrace_symbols_fd, raise).
#include "CrashReport.h"

#include <execinfo.h>
#include <initializer_list>
#include <signal.h>
#include <unistd.h>

namespace {

void reportCrash(int signalNumber) {
  char header[] = "\ntambrel: fatal signal 00; stack:\n";
  header[23] = static_cast<char>('0' + signalNumber / 10 % 10);
  header[24] = static_cast<char>('0' + signalNumber % 10);
  if (write(STDERR_FILENO, header, sizeof header - 1) >= 0) {
    void* frames[64];
    backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
  }
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

} // namespace

void CrashReport::install() {
  // backtrace loads its unwinder on first use, which a signal handler may not do: use it once.
  void* frame[1];
  backtrace(frame, 1);
  for (int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
    signal(fatal, reportCrash);
}
