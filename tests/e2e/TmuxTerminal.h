// A terminal for a program under test: a tmux server on a socket of its own, whose one session
// of 100 x 40 characters runs the program; its screen is read and keys are typed into it.
#ifndef TAMBREL_TESTS_E2E_TMUXTERMINAL_H
#define TAMBREL_TESTS_E2E_TMUXTERMINAL_H

#include <string>

class TmuxTerminal {
public:
  TmuxTerminal();
  // Ends the tmux server and whatever still runs in it.
  ~TmuxTerminal();
  TmuxTerminal(const TmuxTerminal&) = delete;
  TmuxTerminal& operator=(const TmuxTerminal&) = delete;

  // Starts a shell command line in the session (the server takes this process's environment).
  void start(const std::string& command) const;
  // The screen and up to 200 lines above it; empty once the session has ended.
  std::string screen() const;
  // Waits until the text shows anywhere in screen(); false after `seconds`.
  bool waitFor(const std::string& part, double seconds = 10) const;
  // Types keys as tmux send-keys names them ("Enter", "q", "C-c").
  void keys(const std::string& keys) const;

private:
  void run(const std::string& command) const;
  std::string socket_;
};

#endif
