// The program run as a child process in a fresh temporary working directory, with its standard
// output and error kept in files beside that directory.
#ifndef TAMBREL_TESTS_E2E_PROGRAMPROCESS_H
#define TAMBREL_TESTS_E2E_PROGRAMPROCESS_H

#include <sys/types.h>

#include <string>
#include <vector>

class ProgramProcess {
public:
  ProgramProcess();
  // Kills a child that is still running and removes the temporary directory.
  ~ProgramProcess();

  // The working directory the program will run in (exists from construction on).
  const std::string& workDir() const { return workDir_; }

  // Starts `executable args...` in workDir with JACK_DEFAULT_SERVER=serverName.
  bool start(const std::string& executable, const std::vector<std::string>& args,
             const std::string& serverName);
  bool running();
  // The child's process id while it runs (for other signals than SIGINT), else -1.
  pid_t pid() const { return pid_; }

  // Sends SIGINT and waits up to timeoutSeconds; false if the child had to be killed.
  bool interrupt(double timeoutSeconds);
  // Waits for the child to end on its own, up to timeoutSeconds.
  bool waitForExit(double timeoutSeconds);
  // Exit status once ended normally; -1 when it died from a signal or has not ended.
  int exitStatus() const { return exitStatus_; }
  // The signal that ended the child, or 0.
  int termSignal() const { return termSignal_; }
  double secondsToExit() const { return secondsToExit_; }

  std::string standardOutput() const;
  std::string standardError() const;
  // Path of a file in the directory beside workDir that the child may write for the test.
  std::string sidePath(const std::string& name) const { return sideDir_ + "/" + name; }

private:
  bool reap(bool block);

  std::string rootDir_;
  std::string workDir_;
  std::string sideDir_;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
  int termSignal_ = 0;
  double secondsToExit_ = -1;
};

// The whole contents of a file, or empty.
std::string readFile(const std::string& path);

#endif
