// init copies without ever replacing; analyze and plot render each drum alone (see DrumHit).
#include "KitCommands.h"

#include "DrumHit.h"
#include "FactoryKits.h"
#include "FiguresReport.h"
#include "SoundsetDocument.h"
#include "SoundsetFile.h"
#include "SoundsetPlot.h"
#include "SoundsetTool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace stk {

namespace {

bool isRegularFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

void KitCommands::complain(const std::string& name, const std::string& fault) {
  err << name << ": " << fault << "\n";
}

bool KitCommands::read(const std::string& path, SoundsetDocument& document) {
  std::string error;
  if (document.read(path, error)) return true;
  complain(path, error);
  return false;
}

std::string KitCommands::kitName(const SoundsetDocument& document) {
  std::vector<std::string> names;
  std::string error;
  if (kitsFolder.empty() || !FactoryKits::readNames(kitsFolder, names, error)) return "";
  const std::vector<unsigned char> bytes = document.encode();
  for (int kit = 0; kit < FactoryKits::kCount; ++kit) {
    std::vector<unsigned char> stored;
    std::string path = SoundsetFile::inDirectory(kitsFolder, SoundsetFile::soundsetName(kit));
    if (SoundsetFile::read(path, bytes.size() + 1, stored) && stored == bytes) return names[kit];
  }
  return "";
}

// Written under a temporary name, then linked to the target, which fails if the target has
// appeared meanwhile: an existing file is never replaced.
bool KitCommands::copyKit(int kit, const std::string& target, std::string& error) {
  std::string source = SoundsetFile::inDirectory(kitsFolder, SoundsetFile::soundsetName(kit));
  std::vector<unsigned char> bytes;
  if (!SoundsetFile::read(source, SoundsetFormat::kSoundsetBytes + 1, bytes, &error)) {
    error = source + ": " + error;
    return false;
  }
  if (bytes.size() != SoundsetFormat::kSoundsetBytes) {
    error = source + ": " + std::to_string(bytes.size()) + " bytes, not a soundset file";
    return false;
  }
  std::string temporary = target + ".new";
  if (!SoundsetFile::replace(temporary, bytes.data(), bytes.size(), &error)) return false;
  bool linked = ::link(temporary.c_str(), target.c_str()) == 0;
  int number = errno;
  ::unlink(temporary.c_str());
  if (!linked) error = std::string("cannot create: ") + std::strerror(number);
  return linked;
}

int KitCommands::init(const std::string& directory) {
  std::vector<std::string> names;
  std::string error;
  if (kitsFolder.empty()) {
    complain("tambrel-soundset", "the factory kits are not installed beside the program");
    return SoundsetTool::kFailure;
  }
  if (!FactoryKits::readNames(kitsFolder, names, error)) {
    err << error << "\n";
    return SoundsetTool::kFailure;
  }
  struct stat info;
  const std::string shownDirectory = directory.empty() ? "." : directory;
  if (::stat(shownDirectory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    complain(shownDirectory, "no such directory");
    return SoundsetTool::kFailure;
  }
  bool allThere = true;
  for (int kit = 0; kit < FactoryKits::kCount; ++kit) {
    const std::string name = SoundsetFile::soundsetName(kit);
    const std::string target = SoundsetFile::inDirectory(directory, name);
    const std::string quoted = "\"" + name + "\" (" + names[kit] + ")";
    if (exists(target) && !isRegularFile(target)) {
      complain(target, "the name is taken by something other than a file: kit not copied");
    } else if (exists(target)) {
      out << "kept    \"" << name << "\": already there\n";
    } else if (copyKit(kit, target, error)) {
      out << "copied  " << quoted << "\n";
    } else {
      complain(target, error);
    }
    allThere = isRegularFile(target) && allThere;
  }
  return allThere ? SoundsetTool::kSuccess : SoundsetTool::kFailure;
}

int KitCommands::analyze(const std::string& path, int drum, bool json, unsigned seed) {
  SoundsetDocument document;
  if (!read(path, document)) return SoundsetTool::kFailure;
  if (seed == 0) seed = 1;
  if (document.kind == SoundsetDocument::Kind::Transfer && drum > 0) {
    complain(path, "a transfer file holds one drum: --drum 0 or none");
    return SoundsetTool::kUsage;
  }
  std::vector<FiguresReport::Row> rows;
  for (int d = 0; d < document.drumCount(); ++d)
    if (drum < 0 || d == drum)
      rows.push_back({d, DrumHit::note(d), DrumHit::measure(document.contents, d, seed)});
  const std::string kit = kitName(document);
  if (json) {
    out << FiguresReport::json(path, kit, seed, rows);
    return SoundsetTool::kSuccess;
  }
  out << path << ": " << (kit.empty() ? "" : "factory kit " + kit + ", ") << "seed " << seed
      << ", one hit at velocity " << DrumHit::kVelocity << "\n\n"
      << FiguresReport::table(rows);
  return SoundsetTool::kSuccess;
}

bool KitCommands::parseSize(const std::string& text, Size& size) {
  int width = 0, height = 0;
  char x = 0, extra = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &extra) != 3 || x != 'x')
    return false;
  if (width < SoundsetPlot::kMinWidth || height < SoundsetPlot::kMinHeight ||
      width > SoundsetPlot::kMaxSide || height > SoundsetPlot::kMaxSide)
    return false;
  size = {width, height};
  return true;
}

int KitCommands::plot(const std::string& path, const std::string& pngPath, Size size,
                      unsigned seed) {
  SoundsetDocument document;
  if (!read(path, document)) return SoundsetTool::kFailure;
  if (document.kind != SoundsetDocument::Kind::Soundset) {
    complain(path, "a transfer file: plot draws soundset files");
    return SoundsetTool::kFailure;
  }
  const std::string kit = kitName(document);
  const std::string title = (kit.empty() ? path : "tambrel kit \"" + kit + "\"") +
                            ": each drum alone, velocity 100, first 600 ms and spectrum";
  std::vector<unsigned char> png =
      SoundsetPlot::png(document.contents, seed == 0 ? 1 : seed, title, size.width, size.height);
  std::string error;
  if (!png.empty() && SoundsetFile::replace(pngPath, png.data(), png.size(), &error))
    return SoundsetTool::kSuccess;
  complain(pngPath, png.empty() ? "the picture could not be drawn" : error);
  return SoundsetTool::kFailure;
}

} // namespace stk
