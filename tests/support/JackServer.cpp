// Starts and stops jackd with the dummy driver for tests.
#include "JackServer.h"

#include <jack/jack.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::atomic<int> serverCount{0};

void ignoreJackMessage(const char*) {}

// Waits up to `timeout` for the child to end; true when it was reaped.
bool reap(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    int status = 0;
    const pid_t result = waitpid(pid, &status, WNOHANG);
    if (result == pid || (result < 0 && errno != EINTR)) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

} // namespace

JackServer::JackServer(int periodFrames, int sampleRate)
    : periodFrames_(periodFrames), sampleRate_(sampleRate) {
  name_ = "tambrel-test-" + std::to_string(getpid()) + "-" + std::to_string(serverCount++);
}

JackServer::~JackServer() {
  stop();
}

bool JackServer::start() {
  if (running()) return true;
  const std::string period = std::to_string(periodFrames_);
  const std::string rate = std::to_string(sampleRate_);
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    // Detached from the test's output, so that ctest does not wait for the server's pipes.
    const int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      if (devNull > STDERR_FILENO) close(devNull);
    }
    setpgid(0, 0); // a Ctrl-C meant for the test does not reach the server first
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    execlp("jackd", "jackd", "--no-realtime", "-n", name_.c_str(), "-d", "dummy", "-r",
           rate.c_str(), "-p", period.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) { // the server gave up
      pid_ = -1;
      removeFiles();
      return false;
    }
    if (acceptsClients()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop();
  return false;
}

void JackServer::stop() {
  if (killed_) {
    // A killed server keeps its slot in JACK's registry of servers (eight on a machine, shared
    // by every user); only a server of the same name reclaims it: one is started and stopped.
    killed_ = false;
    if (!start()) return;
  }
  if (!running()) return;
  ::kill(pid_, SIGTERM);
  if (!reap(pid_, std::chrono::seconds(5))) {
    ::kill(pid_, SIGKILL);
    reap(pid_, std::chrono::seconds(5));
  }
  pid_ = -1;
  removeFiles();
}

void JackServer::kill() {
  if (!running()) return;
  ::kill(pid_, SIGKILL);
  reap(pid_, std::chrono::seconds(5));
  pid_ = -1;
  removeFiles();
  killed_ = true;
}

void JackServer::makeDefault() const {
  setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
}

bool JackServer::acceptsClients() const {
  jack_set_error_function(ignoreJackMessage);
  jack_set_info_function(ignoreJackMessage);
  jack_status_t status;
  jack_client_t* client = jack_client_open(
      "tambrel-probe", jack_options_t(JackNoStartServer | JackServerName), &status, name_.c_str());
  if (client == nullptr) return false;
  jack_client_close(client);
  return true;
}

// The server's own sockets and semaphores carry its name; the shared registry is left alone.
void JackServer::removeFiles() const {
  const std::string socketPrefix = "jack_" + name_ + "_";
  const std::string semaphorePrefix = "jack_sem." + std::to_string(getuid()) + "_" + name_ + "_";
  DIR* dir = opendir("/dev/shm");
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    const std::string file = entry->d_name;
    if (file.compare(0, socketPrefix.size(), socketPrefix) == 0 ||
        file.compare(0, semaphorePrefix.size(), semaphorePrefix) == 0)
      unlink(("/dev/shm/" + file).c_str());
  }
  closedir(dir);
}
