// Maps are found relative to the program, as the factory kits are, so a moved prefix still finds
// its own.
#include "ControllerMapLibrary.h"

#include "ControllerMap.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

const char* kSuffix = ".json";

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool isFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_directory(folder, error);
}

} // namespace

std::string ControllerMapLibrary::userFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config) return (fs::path(config) / "tambrel" / "controllers").string();
  const char* home = std::getenv("HOME");
  if (home && *home) return (fs::path(home) / ".config" / "tambrel" / "controllers").string();
  return "";
}

std::string ControllerMapLibrary::shareFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  if (!error) {
    const fs::path beside = program.parent_path() / TAMBREL_CONTROLLERS_FROM_BIN;
    if (isFolder(beside)) return beside.lexically_normal().string();
  }
  const fs::path built = TAMBREL_BUILD_CONTROLLERS;
  if (isFolder(built)) return built.string();
  return "";
}

bool ControllerMapLibrary::resolve(const std::string& argument, std::string& path,
                                   std::string& error) {
  if (argument.find('/') != std::string::npos || endsWith(argument, kSuffix)) {
    path = argument;
    return true;
  }
  std::string searched;
  for (const std::string& folder : {userFolder(), shareFolder()}) {
    if (folder.empty()) continue;
    const fs::path candidate = fs::path(folder) / (argument + kSuffix);
    std::error_code missing;
    if (fs::is_regular_file(candidate, missing)) {
      path = candidate.string();
      return true;
    }
    searched += (searched.empty() ? "" : " or ") + folder;
  }
  error = argument + ": no controller map of that name in " +
          (searched.empty() ? std::string("any folder") : searched) +
          " (see --list-controller-maps)";
  return false;
}

bool ControllerMapLibrary::open(const std::string& argument, ControllerMap& map,
                                std::string& error) {
  std::string path;
  return resolve(argument, path, error) && ControllerMap::load(path, map, error);
}

std::vector<std::string> ControllerMapLibrary::namesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  if (folder.empty() || !isFolder(folder)) return names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string file = entry.path().filename().string();
    if (endsWith(file, kSuffix) && entry.is_regular_file(error))
      names.push_back(file.substr(0, file.size() - std::string(kSuffix).size()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

int ControllerMapLibrary::list(std::ostream& out) {
  const std::vector<std::string> own = namesIn(userFolder());
  for (const std::string& folder : {userFolder(), shareFolder()}) {
    for (const std::string& name : namesIn(folder)) {
      if (folder != userFolder() && std::find(own.begin(), own.end(), name) != own.end()) continue;
      const std::string path = (fs::path(folder) / (name + kSuffix)).string();
      ControllerMap map;
      std::string error;
      out << name << "\t";
      if (ControllerMap::load(path, map, error))
        out << (map.name.empty() ? "-" : map.name);
      else
        out << "(unreadable: " << error << ")";
      out << "\t" << path << "\n";
    }
  }
  return 0;
}
