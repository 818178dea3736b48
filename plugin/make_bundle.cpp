// tambrel-lv2-bundle: writes the plugin bundle's Turtle, with a preset for each soundset given.
#include "BundleWriter.h"
#include "SoundsetFile.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "usage: tambrel-lv2-bundle DIRECTORY [LABEL=SOUNDSET-FILE]...\n"
    "Writes manifest.ttl, tambrel.ttl and presets.ttl into DIRECTORY: the presets are \"Default\"\n"
    "and one for each soundset file, loaded with the live program's rules.\n"
    "       tambrel-lv2-bundle --port-table   prints the parameter ports as a Markdown table\n";

} // namespace

int main(int argc, char** argv) {
  if (argc == 2 && !std::strcmp(argv[1], "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && !std::strcmp(argv[1], "--port-table")) {
    std::fputs(plugin::BundleWriter::portTable().c_str(), stdout);
    return 0;
  }
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<plugin::BundleWriter::Preset> presets{
      {"Default", plugin::BundleWriter::defaultSoundset()}};
  for (int i = 2; i < argc; i++) {
    const std::string argument = argv[i];
    const size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::fprintf(stderr, "tambrel-lv2-bundle: not LABEL=FILE: %s\n", argv[i]);
      return 2;
    }
    const std::string path = argument.substr(equals + 1);
    std::vector<unsigned char> bytes;
    std::string error;
    if (!stk::SoundsetFile::read(path, stk::SoundsetFormat::kSoundsetBytes, bytes, &error)) {
      std::fprintf(stderr, "tambrel-lv2-bundle: %s: %s\n", path.c_str(), error.c_str());
      return 1;
    }
    plugin::BundleWriter::Preset preset{argument.substr(0, equals),
                                        plugin::BundleWriter::defaultSoundset()};
    stk::SoundsetFormat::load(bytes.data(), bytes.size(), preset.soundset);
    presets.push_back(preset);
  }
  std::string error;
  if (!plugin::BundleWriter::write(argv[1], presets, error)) {
    std::fprintf(stderr, "tambrel-lv2-bundle: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
