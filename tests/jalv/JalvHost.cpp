// Starting and stopping jalv with the bundle of the build tree.
#include "JalvHost.h"

#include <utility>

JalvHost::JalvHost(std::string clientName) : clientName_(std::move(clientName)) {}

bool JalvHost::start(const std::string& serverName, const std::string& pluginUri,
                     const std::vector<std::string>& controls) {
  // -i: no keyboard commands; -x: exit rather than take another name than -n's.
  std::vector<std::string> args = {"-i", "-n", clientName_, "-x"};
  for (const std::string& control : controls) {
    args.push_back("-c");
    args.push_back(control);
  }
  args.push_back(pluginUri);
  process_.setEnvironment("LV2_PATH", TAMBREL_LV2_PATH);
  process_.keepStdinOpen();
  return process_.start(TAMBREL_JALV, args, serverName);
}

bool JalvHost::stop(double timeoutSeconds) {
  const bool ended = process_.interrupt(timeoutSeconds);
  process_.closeStdin();
  return ended && process_.exitStatus() == 0;
}

std::string JalvHost::output() const {
  return "jalv stdout:\n" + process_.standardOutput() + "\njalv stderr:\n" +
         process_.standardError();
}
