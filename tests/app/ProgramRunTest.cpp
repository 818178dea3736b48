// The program as built, on a machine without a MIDI system: each lookup reports the library's
// error, the run cleans up at once and ends with status 0.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    count++;
  return count;
}

TEST(Program, WithoutAMidiSystemReportsEachLookupAndSaysGoodbye) {
  char pattern[] = "/tmp/tambrel-run-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;

  const auto started = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    // No JACK server by this name exists: the run sees no MIDI system at all.
    setenv("JACK_DEFAULT_SERVER", "tambrel-test-no-such-server", 1);
    execl(TAMBREL_PROGRAM, TAMBREL_PROGRAM, static_cast<char*>(nullptr));
    _exit(127);
  }

  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(pid, &status, WNOHANG)) == 0 &&
         std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (ended == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  const std::string out = readFile(dir + "/stdout.txt");
  const std::string err = readFile(dir + "/stderr.txt");
  std::filesystem::remove_all(dir);

  ASSERT_EQ(ended, pid) << "still running after 5 s";
  EXPECT_LT(seconds, 1.0);
  RecordProperty("seconds_to_exit", std::to_string(seconds));
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(out, "\nCleaning up...\n\nGoodbye!\n\n");
  // Two input lookups and one output lookup, each with the library's own message.
  EXPECT_GE(occurrences(err, "MidiInAlsa::initialize: error creating ALSA sequencer client"), 2)
      << err;
  EXPECT_GE(occurrences(err, "MidiOutAlsa::initialize: error creating ALSA sequencer client"), 1)
      << err;
  // After the libraries' messages, one line says how else the controller can be found.
  const std::string hint = "tambrel: no controller under its fixed port names; --list-ports "
                           "shows the ports, --controller NAME finds it by name, --virtual "
                           "gives tambrel its own ports\n";
  ASSERT_GE(err.size(), hint.size());
  EXPECT_EQ(err.substr(err.size() - hint.size()), hint);
  EXPECT_EQ(occurrences(err, "--list-ports"), 1);
}

} // namespace
