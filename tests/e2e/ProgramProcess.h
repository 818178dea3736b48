// The program run as a child process in a fresh temporary working directory, with its standard
// output and error kept in files beside that directory, and its standard input optionally a pipe
// the test holds open.
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
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // The working directory the program will run in (exists from construction on).
  const std::string& workDir() const { return workDir_; }

  // Adds NAME=value to the environment of the next start (replacing an inherited NAME).
  void setEnvironment(const std::string& name, const std::string& value);
  // The next start gives the child a pipe as standard input, open until closeStdin(): hosts
  // that read commands from a console run without a terminal and without meeting end of file.
  void keepStdinOpen() { keepStdinOpen_ = true; }
  void closeStdin();

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
  std::vector<std::string> environment_; // NAME=value entries added to the child's
  bool keepStdinOpen_ = false;
  int stdinWriteFd_ = -1;
  pid_t pid_ = -1;
  int exitStatus_ = -1;
  int termSignal_ = 0;
  double secondsToExit_ = -1;
};

// The whole contents of a file, or empty.
std::string readFile(const std::string& path);

#endif
