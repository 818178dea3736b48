// Kits are looked up relative to the program itself, so a moved prefix still finds its own.
#include "FactoryKits.h"

#include "SoundsetFile.h"

#include <cstring>
#include <filesystem>
#include <sstream>

namespace stk {

namespace {

bool holdsNames(const std::filesystem::path& folder) {
  std::error_code error;
  return std::filesystem::is_regular_file(folder / FactoryKits::kNamesFile, error);
}

} // namespace

std::string FactoryKits::folder() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    std::filesystem::path beside = program.parent_path() / TAMBREL_KITS_FROM_BIN;
    if (holdsNames(beside)) return beside.lexically_normal().string();
  }
  std::filesystem::path built = TAMBREL_BUILD_KITS;
  if (holdsNames(built)) return built.string();
  return "";
}

bool FactoryKits::readNames(const std::string& folder, std::vector<std::string>& names,
                            std::string& error) {
  const std::string path = SoundsetFile::inDirectory(folder, kNamesFile);
  std::vector<unsigned char> bytes;
  const size_t limit = 4096; // ten short names
  if (!SoundsetFile::read(path, limit, bytes, &error)) {
    error = path + ": " + error;
    return false;
  }
  names.assign(kCount, "");
  std::istringstream lines(std::string(bytes.begin(), bytes.end()));
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    std::istringstream fields(line);
    int kit = -1;
    std::string name, extra;
    if (line.empty()) continue;
    if (!(fields >> kit >> name) || (fields >> extra) || kit < 0 || kit >= kCount ||
        !names[kit].empty() || find(names, name) >= 0) {
      error = path + ": line " + std::to_string(lineNumber) + " is not \"N NAME\" of a new kit";
      return false;
    }
    names[kit] = name;
  }
  for (int kit = 0; kit < kCount; ++kit)
    if (names[kit].empty()) {
      error = path + ": no name for kit " + std::to_string(kit);
      return false;
    }
  return true;
}

int FactoryKits::find(const std::vector<std::string>& names, const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] < '0' + kCount) return text[0] - '0';
  for (size_t kit = 0; kit < names.size(); ++kit)
    if (!names[kit].empty() && names[kit] == text) return static_cast<int>(kit);
  return -1;
}

} // namespace stk
