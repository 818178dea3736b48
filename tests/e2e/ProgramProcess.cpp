// Starting, interrupting and reaping the program's child process.
#include "ProgramProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

ProgramProcess::ProgramProcess() {
  char pattern[] = "/tmp/tambrel-e2e-XXXXXX";
  const char* root = mkdtemp(pattern);
  rootDir_ = root ? root : "/tmp";
  workDir_ = rootDir_ + "/work";
  sideDir_ = rootDir_ + "/side";
  std::filesystem::create_directories(workDir_);
  std::filesystem::create_directories(sideDir_);
}

ProgramProcess::~ProgramProcess() {
  closeStdin();
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ignored;
  if (rootDir_ != "/tmp") std::filesystem::remove_all(rootDir_, ignored);
}

void ProgramProcess::setEnvironment(const std::string& name, const std::string& value) {
  environment_.push_back(name + "=" + value);
}

void ProgramProcess::closeStdin() {
  if (stdinWriteFd_ >= 0) ::close(stdinWriteFd_);
  stdinWriteFd_ = -1;
}

bool ProgramProcess::start(const std::string& executable, const std::vector<std::string>& args,
                           const std::string& serverName) {
  const std::string out = sideDir_ + "/stdout.txt";
  const std::string err = sideDir_ + "/stderr.txt";
  // Everything the child needs is built before fork: the parent has JACK threads running, so
  // the child may only make async-signal-safe calls until exec.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> added = environment_;
  added.push_back("JACK_DEFAULT_SERVER=" + serverName);
  std::vector<char*> envp;
  for (char** entry = environ; *entry; ++entry) {
    bool replaced = false;
    for (const std::string& variable : added)
      replaced = replaced || std::strncmp(*entry, variable.c_str(), variable.find('=') + 1) == 0;
    if (!replaced) envp.push_back(*entry);
  }
  for (const std::string& variable : added)
    envp.push_back(const_cast<char*>(variable.c_str()));
  envp.push_back(nullptr);
  int stdinPipe[2] = {-1, -1};
  if (keepStdinOpen_ && pipe2(stdinPipe, O_CLOEXEC) != 0) {
    std::perror("pipe");
    return false;
  }
  pid_ = fork();
  if (pid_ < 0) {
    std::perror("fork");
    return false;
  }
  if (pid_ == 0) {
    if (stdinPipe[0] >= 0) dup2(stdinPipe[0], 0); // dup2 clears close-on-exec on the copy
    int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0 || errFd < 0 || chdir(workDir_.c_str()) != 0) _exit(127);
    dup2(outFd, 1);
    dup2(errFd, 2);
    execve(executable.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (stdinPipe[0] >= 0) {
    ::close(stdinPipe[0]);
    closeStdin();
    stdinWriteFd_ = stdinPipe[1];
  }
  return true;
}

bool ProgramProcess::reap(bool block) {
  if (pid_ <= 0) return true;
  int status = 0;
  pid_t got = waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (got != pid_) return false;
  pid_ = -1;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  termSignal_ = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return true;
}

bool ProgramProcess::running() {
  return pid_ > 0 && !reap(false);
}

bool ProgramProcess::waitForExit(double timeoutSeconds) {
  using Clock = std::chrono::steady_clock;
  const auto begin = Clock::now();
  while (!reap(false)) {
    if (Clock::now() - begin > std::chrono::duration<double>(timeoutSeconds)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  secondsToExit_ = std::chrono::duration<double>(Clock::now() - begin).count();
  return true;
}

bool ProgramProcess::interrupt(double timeoutSeconds) {
  if (pid_ <= 0) return false;
  kill(pid_, SIGINT);
  if (waitForExit(timeoutSeconds)) return true;
  kill(pid_, SIGKILL);
  reap(true);
  exitStatus_ = -1;
  return false;
}

std::string ProgramProcess::standardOutput() const {
  return readFile(sideDir_ + "/stdout.txt");
}
std::string ProgramProcess::standardError() const {
  return readFile(sideDir_ + "/stderr.txt");
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
