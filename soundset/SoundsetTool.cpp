// Subcommands and their exit statuses; every fault is one line naming the file.
#include "SoundsetTool.h"

#include "DrumHit.h"
#include "FactoryKits.h"
#include "KitCommands.h"
#include "SoundsetCheck.h"
#include "SoundsetDocument.h"
#include "SoundsetFile.h"
#include "SoundsetJson.h"
#include "SoundsetReport.h"

#include <CLI/CLI.hpp>

#include <filesystem>

namespace stk {

namespace {

const char kProgram[] = "tambrel-soundset";

const char kDescription[] =
    "Shows, checks, compares, converts, measures and draws tambrel's soundset files (968 bytes:\n"
    "16 slots and the 21 parameters of 5 drums) and transfer files (168 bytes: one drum), and\n"
    "installs the ten factory kits. A file of exactly 168 bytes is taken as a transfer file, any\n"
    "other as a soundset file.";

const char kFooter[] =
    "Exit status: 0 success (check: every file loads exactly as stored; diff: no difference),\n"
    "1 failure (diff: the files differ), 2 usage error (diff: trouble).\n"
    "JSON holds values that are not finite as \"inf\", \"-inf\", \"nan\", \"-nan\" or \"nan:0x\"\n"
    "followed by the 16 hex digits of the NaN's bits.";

bool writeFile(const std::string& path, const std::string& text, std::string& error) {
  return SoundsetFile::replace(path, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size(), &error);
}

} // namespace

void SoundsetTool::complain(const std::string& name, const std::string& fault) {
  err << name << ": " << fault << "\n";
}

bool SoundsetTool::read(const std::string& path, SoundsetDocument& document) {
  std::string error;
  if (document.read(path, error)) return true;
  complain(path, error);
  return false;
}

int SoundsetTool::show(const std::string& path) {
  SoundsetDocument document;
  if (!read(path, document)) return kFailure;
  out << path << ": " << document.kindName() << "\n\n" << SoundsetReport::show(document);
  return kSuccess;
}

bool SoundsetTool::checkOne(const std::string& path, bool strict) {
  std::vector<unsigned char> bytes;
  std::string error;
  if (!SoundsetFile::read(path, SoundsetFormat::kSoundsetBytes + 1, bytes, &error)) {
    complain(path, error);
    return false;
  }
  uintmax_t size = bytes.size();
  std::error_code sizeError;
  if (size > SoundsetFormat::kSoundsetBytes) size = std::filesystem::file_size(path, sizeError);
  if (sizeError) size = bytes.size();
  SoundsetCheck found(bytes, size);
  bool transfer = found.kind == SoundsetDocument::Kind::Transfer;
  bool exact = found.faults.empty() && (!strict || found.unusualValues.empty());
  out << path << ": " << (transfer ? "transfer file" : "soundset file") << ": "
      << (!found.faults.empty() ? "does not load as stored"
          : exact               ? "loads exactly as stored"
                                : "loads as stored, with values no control sets")
      << "\n";
  for (const std::vector<std::string>* lines : {&found.faults, &found.unusualValues})
    for (const std::string& line : *lines)
      out << path << ": " << line << "\n";
  return exact;
}

int SoundsetTool::check(const std::vector<std::string>& paths, bool strict) {
  bool allExact = true;
  for (const std::string& path : paths)
    allExact = checkOne(path, strict) && allExact;
  return allExact ? kSuccess : kFailure;
}

int SoundsetTool::exportJson(const std::string& path, const std::string& jsonPath) {
  SoundsetDocument document;
  if (!read(path, document)) return kFailure;
  std::string text = SoundsetJson::write(document);
  if (jsonPath.empty()) {
    out << text;
    return kSuccess;
  }
  std::string error;
  if (writeFile(jsonPath, text, error)) return kSuccess;
  complain(jsonPath, error);
  return kFailure;
}

int SoundsetTool::importJson(const std::string& jsonPath, const std::string& path) {
  // The JSON of a soundset is about 3 kB; a file of this size is none.
  const size_t limit = 1 << 20;
  std::vector<unsigned char> text;
  std::string readError;
  if (!SoundsetFile::read(jsonPath, limit, text, &readError)) {
    complain(jsonPath, readError);
    return kFailure;
  }
  if (text.size() == limit) {
    complain(jsonPath, "1 MiB or more: not the JSON of a soundset");
    return kFailure;
  }
  SoundsetDocument document;
  std::string error;
  if (!SoundsetJson::read(std::string(text.begin(), text.end()), document, error)) {
    complain(jsonPath, error);
    return kFailure;
  }
  std::vector<unsigned char> bytes = document.encode();
  if (SoundsetFile::replace(path, bytes.data(), bytes.size(), &error)) return kSuccess;
  complain(path, error);
  return kFailure;
}

int SoundsetTool::diff(const std::string& pathA, const std::string& pathB) {
  SoundsetDocument a, b;
  if (!read(pathA, a) || !read(pathB, b)) return kUsage;
  if (a.kind != b.kind) {
    complain(pathB, std::string("is a ") + b.kindName() + ", " + pathA + " a " + a.kindName() +
                        ": they cannot be compared");
    return kUsage;
  }
  std::vector<std::string> lines = SoundsetReport::diff(a, b);
  for (const std::string& line : lines)
    out << line << "\n";
  return lines.empty() ? kSuccess : kFailure;
}

int SoundsetTool::run(int argc, const char* const* argv) {
  CLI::App app(kDescription, kProgram);
  app.require_subcommand(1);
  std::string file, fileB, json, pngPath;
  std::vector<std::string> files;
  bool strict = false;

  app.footer(kFooter);
  CLI::App* showCommand =
      app.add_subcommand("show", "Print the slots and every drum's parameters by name");
  showCommand->add_option("FILE", file, "soundset or transfer file")->required();
  CLI::App* checkCommand = app.add_subcommand(
      "check", "Tell whether the program loads each file exactly as stored, and if not why");
  checkCommand->add_option("FILE", files, "soundset or transfer files")->required();
  checkCommand->add_flag("--strict", strict, "count values outside 0 .. 1 as faults too");
  CLI::App* exportCommand =
      app.add_subcommand("export", "Write a soundset or transfer file as JSON");
  exportCommand->add_option("FILE", file, "soundset or transfer file")->required();
  exportCommand->add_option("-o,--output", json, "JSON file to write (default: standard output)");
  CLI::App* importCommand =
      app.add_subcommand("import", "Write the soundset or transfer file a JSON file describes");
  importCommand->add_option("JSON", json, "JSON file as export writes it")->required();
  importCommand->add_option("-o,--output", file, "file to write, replaced only by a valid import")
      ->required();
  CLI::App* diffCommand =
      app.add_subcommand("diff", "Print the slots and parameters that differ, with both values");
  diffCommand->add_option("A", file, "soundset or transfer file")->required();
  diffCommand->add_option("B", fileB, "file of the same kind")->required();

  std::string directory, plotSize = "1600x900";
  int drum = -1;
  bool jsonOutput = false;
  unsigned seed = DrumHit::kDefaultSeed;
  CLI::App* initCommand = app.add_subcommand(
      "init", "Copy the ten factory kits into DIR, keeping every soundset already there");
  initCommand->add_option("DIR", directory, "directory (default: the working directory)");
  CLI::App* analyzeCommand = app.add_subcommand(
      "analyze", "Strike each drum alone (velocity 100, 44.1 kHz, 2 s) and print its figures");
  analyzeCommand->add_option("FILE", file, "soundset or transfer file")->required();
  analyzeCommand->add_option("--drum", drum, "only this drum, 0 .. 4")->check(CLI::Range(0, 4));
  analyzeCommand->add_flag("--json", jsonOutput, "print JSON instead of a table");
  CLI::App* plotCommand = app.add_subcommand(
      "plot", "Draw each drum's waveform, envelope and spectrum side by side into a PNG file");
  plotCommand->add_option("FILE", file, "soundset file")->required();
  plotCommand->add_option("-o,--output", pngPath, "PNG file to write")->required();
  plotCommand->add_option("--size", plotSize, "picture size in pixels, WxH")->capture_default_str();
  for (CLI::App* command : {analyzeCommand, plotCommand})
    command->add_option("--seed", seed, "noise tables of this seed (as tambrel-render's --seed)")
        ->capture_default_str();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help, out, err);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help, out, err);
  } catch (const CLI::ParseError& error) {
    err << kProgram << ": " << error.what() << " (see " << kProgram << " --help)\n";
    return kUsage;
  }
  if (showCommand->parsed()) return show(file);
  if (checkCommand->parsed()) return check(files, strict);
  if (exportCommand->parsed()) return exportJson(file, json);
  if (importCommand->parsed()) return importJson(json, file);
  if (initCommand->parsed() || analyzeCommand->parsed() || plotCommand->parsed()) {
    KitCommands kits(out, err, kitsFolder.empty() ? FactoryKits::folder() : kitsFolder);
    if (initCommand->parsed()) return kits.init(directory);
    if (analyzeCommand->parsed()) return kits.analyze(file, drum, jsonOutput, seed);
    KitCommands::Size size;
    if (!KitCommands::parseSize(plotSize, size)) {
      err << kProgram << ": --size " << plotSize << ": not WxH from 200x120 to 16384x16384 (see "
          << kProgram << " --help)\n";
      return kUsage;
    }
    return kits.plot(file, pngPath, size, seed);
  }
  return diff(file, fileB);
}

} // namespace stk
