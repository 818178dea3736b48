// tambrel-soundset run as a child in the working directory, with its output and exit status.
#ifndef TAMBREL_TESTS_SOUNDSETPROGRAM_H
#define TAMBREL_TESTS_SOUNDSETPROGRAM_H

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

struct ProgramRun {
  int status;
  std::string out, err;
};

inline std::string textOf(const std::string& name) {
  std::ifstream in(name);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the program in the working directory; arguments are passed to the shell as they are.
inline ProgramRun soundset(const std::string& arguments) {
  std::string command =
      std::string("'") + TAMBREL_SOUNDSET_PROGRAM + "' " + arguments + " >run.out 2>run.err";
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, textOf("run.out"), textOf("run.err")};
}

#endif
