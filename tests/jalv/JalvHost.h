// jalv, LV2's console host, run as a child process on a JACK server with the plugin bundle of
// the build tree: its JACK client name fixed, its standard input an open pipe (no terminal),
// ended by SIGINT.
#ifndef TAMBREL_TESTS_JALV_JALVHOST_H
#define TAMBREL_TESTS_JALV_JALVHOST_H

#include "ProgramProcess.h"

#include <string>
#include <vector>

class JalvHost {
public:
  explicit JalvHost(std::string clientName);
  JalvHost(const JalvHost&) = delete;
  JalvHost& operator=(const JalvHost&) = delete;

  // Starts jalv on the named server with the plugin and the control values ("symbol=value",
  // jalv's -c). jalv's ports appear later: connecting to them waits for the host to be active.
  bool start(const std::string& serverName, const std::string& pluginUri,
             const std::vector<std::string>& controls = {});
  // SIGINT; true when jalv ended on its own with status 0 within timeoutSeconds (it is killed
  // otherwise).
  bool stop(double timeoutSeconds);
  bool running() { return process_.running(); }

  // The full JACK name of the plugin port with the given symbol.
  std::string port(const std::string& symbol) const { return clientName_ + ":" + symbol; }
  // What jalv printed on standard output and error, for failure messages.
  std::string output() const;

private:
  std::string clientName_;
  ProgramProcess process_; // killed, if still running, when destroyed
};

#endif
