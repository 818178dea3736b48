// Writes the LV2 bundle's Turtle (manifest, plugins, presets) from the parameter table.
#ifndef TAMBREL_BUNDLEWRITER_H
#define TAMBREL_BUNDLEWRITER_H

#include "SoundsetFormat.h"

#include <string>
#include <vector>

namespace plugin {

class BundleWriter {
public:
  struct Preset {
    std::string label;      // "Default"
    stk::Soundset soundset; // slots and every drum's values
  };

  // The sounds of a new kit: the table's defaults, every slot on drum 0's first parameter.
  static stk::Soundset defaultSoundset();

  // manifest.ttl, tambrel.ttl and presets.ttl into the bundle's folder; false with the reason.
  static bool write(const std::string& directory, const std::vector<Preset>& presets,
                    std::string& error);

  static std::string manifest(const std::vector<Preset>& presets);
  static std::string plugins();
  static std::string presets(const std::vector<Preset>& presets);
  // The parameter ports as a Markdown table, for the README.
  static std::string portTable();

  // "urn:tambrel:preset:" and the label in lower case, runs of other characters as one "-".
  static std::string presetUri(const std::string& label);
};

} // namespace plugin

#endif
