// The program with bad maps: one line naming the file, the place and the fault, status 1, and
// nothing opened or written; the maps found by name are listed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Finished {
  int status = -1; // the exit status, -1 after a signal or a hang
  std::string out, err;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ControllerMapProgram : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tambrel-mapprog-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    std::filesystem::create_directories(dir + "/config/tambrel/controllers");
    std::filesystem::create_directories(dir + "/work");
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir + "/" + name) << text;
  }

  // Runs the program in dir/work with its output in dir; no MIDI system is reachable.
  Finished run(std::vector<std::string> arguments) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir((dir + "/work").c_str()) != 0) _exit(126);
      const int out = open((dir + "/out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open((dir + "/err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, STDOUT_FILENO);
      dup2(err, STDERR_FILENO);
      setenv("JACK_DEFAULT_SERVER", "tambrel-test-no-such-server", 1);
      setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(TAMBREL_PROGRAM)};
      for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
      argv.push_back(nullptr);
      execv(TAMBREL_PROGRAM, argv.data());
      _exit(127);
    }
    Finished finished;
    int status = 0;
    const auto started = std::chrono::steady_clock::now();
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (ended == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
    } else if (WIFEXITED(status)) {
      finished.status = WEXITSTATUS(status);
    }
    finished.out = readFile(dir + "/out.txt");
    finished.err = readFile(dir + "/err.txt");
    return finished;
  }

  std::string dir;
};

TEST_F(ControllerMapProgram, EveryBadMapEndsTheRunBeforeAnyPortOpens) {
  const std::vector<std::pair<std::string, std::string>> bad{
      {"{\"controls\": {\n  \"pot 1\": {\"cc\": 4},\n}}",
       "parse error at line 3, column 1: syntax error while parsing object key - unexpected '}'; "
       "expected string literal"},
      {R"({"controls": {"slider 1": {"cc": 4}}})",
       "/controls/slider 1: no control of that name (see the README)"},
      {R"({"controls": {"pot 1": {"cc": 4}, "save": {"cc": 4, "channel": 1}}})",
       "/controls/save: the same message as \"pot 1\""},
      {R"({"controls": {"pot 1": {"cc": 4, "channel": 17}}})",
       "/controls/pot 1/channel: 17 is not a whole number 1 .. 16"},
  };
  for (const auto& [text, fault] : bad) {
    write("bad.json", text);
    // --virtual would open the program's own ports at once.
    const Finished run = this->run({"--controller-map", dir + "/bad.json", "--virtual"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tambrel: " + dir + "/bad.json: " + fault + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir + "/work"));
  }
  const Finished missing = run({"--controller-map", "nowhere", "--virtual"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("tambrel: nowhere: no controller map of that name in " + dir +
                                  "/config/tambrel/controllers or ",
                              0),
            0u)
      << missing.err;
  EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1);
  EXPECT_EQ(missing.out, "");
}

TEST_F(ControllerMapProgram, ListsTheUsersMapsAndTheShippedOnes) {
  write("config/tambrel/controllers/desk.json", R"({"name": "My desk", "controls": {}})");
  const Finished listing = run({"--list-controller-maps"});
  EXPECT_EQ(listing.status, 0);
  EXPECT_EQ(
      listing.out.rfind("desk\tMy desk\t" + dir + "/config/tambrel/controllers/desk.json\n", 0), 0u)
      << listing.out;
  EXPECT_NE(listing.out.find("\nremote-zero-sl\t"), std::string::npos) << listing.out;
  EXPECT_EQ(listing.err, "");
  const Finished mixed = run({"--list-controller-maps", "--virtual"});
  EXPECT_EQ(mixed.status, 2);
}

} // namespace
