// The command line of tambrel-soundset: its subcommands, their options and exit statuses.
#ifndef TAMBREL_SOUNDSETTOOL_H
#define TAMBREL_SOUNDSETTOOL_H

#include <ostream>
#include <string>
#include <vector>

namespace stk {

class SoundsetDocument;

class SoundsetTool {
public:
  // Exit statuses; diff also uses kFailure for "the files differ" and kUsage for trouble.
  static constexpr int kSuccess = 0;
  static constexpr int kFailure = 1;
  static constexpr int kUsage = 2;

  SoundsetTool(std::ostream& out, std::ostream& err) : out(out), err(err) {}
  // Parses and runs one command line; the exit status.
  int run(int argc, const char* const* argv);

  int show(const std::string& path);
  int check(const std::vector<std::string>& paths, bool strict);
  int exportJson(const std::string& path, const std::string& jsonPath); // "" is standard output
  int importJson(const std::string& jsonPath, const std::string& path);
  int diff(const std::string& pathA, const std::string& pathB);

  // Where init and the kit names come from; empty: the factory kits beside the program.
  std::string kitsFolder;

private:
  bool read(const std::string& path, SoundsetDocument& document);
  bool checkOne(const std::string& path, bool strict);
  // One line on the error stream: "name: fault".
  void complain(const std::string& name, const std::string& fault);

  std::ostream& out;
  std::ostream& err;
};

} // namespace stk

#endif
