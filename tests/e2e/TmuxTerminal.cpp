// tmux driven through its command line, on a socket named after this process.
#include "TmuxTerminal.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

TmuxTerminal::TmuxTerminal() : socket_("tambrel-term-" + std::to_string(getpid())) {}

TmuxTerminal::~TmuxTerminal() {
  run("kill-server");
}

void TmuxTerminal::start(const std::string& command) const {
  run("-f /dev/null new-session -d -s term -x 100 -y 40 \"" + command + "\"");
}

std::string TmuxTerminal::screen() const {
  std::string text;
  FILE* pane =
      popen(("tmux -L " + socket_ + " capture-pane -p -S -200 -t term 2>/dev/null").c_str(), "r");
  if (!pane) return text;
  char line[512];
  while (std::fgets(line, sizeof line, pane))
    text += line;
  pclose(pane);
  return text;
}

bool TmuxTerminal::waitFor(const std::string& part, double seconds) const {
  for (int tries = 0; tries < seconds * 20; ++tries) {
    if (screen().find(part) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void TmuxTerminal::keys(const std::string& keys) const {
  run("send-keys -t term " + keys);
}

void TmuxTerminal::run(const std::string& command) const {
  const std::string line = "tmux -L " + socket_ + " " + command + " >/dev/null 2>&1";
  if (std::system(line.c_str()) != 0) return; // nothing to do when the server has gone
}
