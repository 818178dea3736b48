// tambrel: a real-time drum synthesizer played and edited from a Novation ReMOTE ZeRO SL.
#include "CommandLine.h"
#include "ControllerMap.h"
#include "ControllerMapLibrary.h"
#include "CrashReport.h"
#include "LearnSession.h"
#include "PortListing.h"
#include "tambrel.h"

#include <unistd.h>

#include <iostream>

int main(int argc, char** argv) {
  CrashReport::install();
  Settings settings;
  int status = CommandLine::parse(argc, argv, settings, std::cout, std::cerr);
  if (status != CommandLine::kRun) return status;
  if (settings.listPorts) return PortListing::print(settings, std::cout);
  if (settings.listControllerMaps) return ControllerMapLibrary::list(std::cout);
  if (!settings.learnFile.empty()) return LearnSession(settings, std::cout, std::cerr).run();
  // A map that cannot be used ends the run before any port opens.
  ControllerMap map;
  if (!settings.controllerMap.empty()) {
    std::string error;
    if (!ControllerMapLibrary::open(settings.controllerMap, map, error)) {
      std::cerr << "tambrel: " << error << "\n";
      return 1;
    }
    settings.controls = &map;
  }
  status = CommandLine::checkPlace(settings, isatty(STDOUT_FILENO) != 0, std::cerr);
  if (status != CommandLine::kRun) return status;
  return runTambrel(settings);
}
