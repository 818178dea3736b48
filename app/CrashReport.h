// On a fatal signal, the program's stack goes to standard error before the program ends.
#ifndef TAMBREL_CRASHREPORT_H
#define TAMBREL_CRASHREPORT_H

class CrashReport {
public:
  // For SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT: print "tambrel: fatal signal N; stack:" and
  // the stack, then end from the same signal, as without the report.
  static void install();
};

#endif
