// The bundle's Turtle: ports, groups and comments from the parameter table, presets as state.
#include "BundleWriter.h"

#include "NoteNames.h"
#include "ParameterTable.h"
#include "PluginLayout.h"
#include "SoundsetFile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace plugin {

namespace {

using stk::ParameterTable;

const int kDrumNotes[kDrums] = {36, 38, 39, 42, 46};

const char* const kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                              "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                              "@prefix log: <http://lv2plug.in/ns/ext/log#> .\n"
                              "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                              "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
                              "@prefix patch: <http://lv2plug.in/ns/ext/patch#> .\n"
                              "@prefix pg: <http://lv2plug.in/ns/ext/port-groups#> .\n"
                              "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                              "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                              "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                              "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                              "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                              "@prefix work: <http://lv2plug.in/ns/ext/worker#> .\n"
                              "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

// A Turtle string literal.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The port's own float as the shortest decimal that reads back as that float ("0.3", not
// "0.300000012").
std::string number(double value) {
  const float port = static_cast<float>(value);
  char text[32];
  for (int digits = 1; digits <= 9; digits++) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(port));
    if (std::strtof(text, nullptr) == port) break;
  }
  std::string out = text;
  if (out.find_first_of(".e") == std::string::npos) out += ".0";
  return out;
}

std::string base64(const unsigned char* bytes, size_t size) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < size; i += 3) {
    const unsigned v =
        bytes[i] << 16 | (i + 1 < size ? bytes[i + 1] << 8 : 0) | (i + 2 < size ? bytes[i + 2] : 0);
    out += digits[v >> 18 & 63];
    out += digits[v >> 12 & 63];
    out += i + 1 < size ? digits[v >> 6 & 63] : '=';
    out += i + 2 < size ? digits[v & 63] : '=';
  }
  return out;
}

std::string symbol(int drum, int param) {
  return "d" + std::to_string(drum) + "_" + ParameterTable::at(param).suffix;
}

std::string groupUri(int drum) {
  return "<urn:tambrel:lv2#drum" + std::to_string(drum) + ">";
}

void writePlugin(std::ostringstream& out, Variant variant) {
  out << "<" << pluginUri(variant) << ">\n  a lv2:Plugin, lv2:InstrumentPlugin ;\n"
      << "  doap:name " << quoted(variant == Variant::Stereo ? "tambrel" : "tambrel 5 outputs")
      << " ;\n  doap:license <http://opensource.org/licenses/isc> ;\n"
      << "  lv2:requiredFeature urid:map ;\n"
      << "  lv2:optionalFeature lv2:hardRTCapable, work:schedule, log:log ;\n"
      << "  lv2:extensionData state:interface, work:interface, <" << kMidnamInterfaceUri << "> ;\n"
      << "  patch:writable <" << kSoundsetFileUri << "> ;\n"
      << "  lv2:port [\n    a lv2:InputPort, atom:AtomPort ;\n    atom:bufferType atom:Sequence ;\n"
      << "    atom:supports midi:MidiEvent, patch:Message ;\n    lv2:designation lv2:control ;\n"
      << "    lv2:portProperty lv2:connectionOptional ;\n    lv2:index " << kControlPort
      << " ;\n    lv2:symbol \"control\" ;\n    lv2:name \"Control\" ;\n"
      << "    rdfs:comment \"MIDI notes 36, 38, 39, 42, 46 play drums 0-4\"\n  ] , [\n"
      << "    a lv2:OutputPort, atom:AtomPort ;\n    atom:bufferType atom:Sequence ;\n"
      << "    atom:supports patch:Message ;\n    lv2:portProperty lv2:connectionOptional ;\n"
      << "    lv2:index " << kNotifyPort << " ;\n    lv2:symbol \"notify\" ;\n"
      << "    lv2:name \"Notify\"\n  ] , [\n    a lv2:InputPort, lv2:ControlPort ;\n"
      << "    lv2:index " << kChannelPort << " ;\n    lv2:symbol \"channel\" ;\n"
      << "    lv2:name \"MIDI channel\" ;\n    lv2:default 0 ;\n    lv2:minimum 0 ;\n"
      << "    lv2:maximum 16 ;\n    lv2:portProperty lv2:integer ;\n"
      << "    lv2:scalePoint [ rdfs:label \"any\" ; rdf:value 0 ] ;\n"
      << "    rdfs:comment \"the channel whose notes play, 1-16, or 0 for any\"\n  ]";
  for (int drum = 0; drum < kDrums; drum++)
    for (int param = 0; param < kParamsPerDrum; param++) {
      const stk::ParameterInfo& info = ParameterTable::at(param);
      out << " , [\n    a lv2:InputPort, lv2:ControlPort ;\n    lv2:index "
          << paramPort(drum, param) << " ;\n    lv2:symbol \"" << symbol(drum, param)
          << "\" ;\n    lv2:name " << quoted("Drum " + std::to_string(drum) + " " + info.name)
          << " ;\n    pg:group " << groupUri(drum) << " ;\n    lv2:default "
          << number(info.defaultValue) << " ;\n    lv2:minimum 0.0 ;\n    lv2:maximum 1.0 ;\n"
          << "    rdfs:comment " << quoted(info.comment) << "\n  ]";
    }
  const char* const stereo[] = {"out_l", "Left", "out_r", "Right"};
  for (uint32_t i = 0; i < outputCount(variant); i++) {
    const std::string symbol =
        variant == Variant::Stereo ? stereo[2 * i] : "out_d" + std::to_string(i);
    const std::string name = variant == Variant::Stereo ? std::string(stereo[2 * i + 1])
                                                        : "Drum " + std::to_string(i) + " (note " +
                                                              std::to_string(kDrumNotes[i]) + ")";
    out << " , [\n    a lv2:OutputPort, lv2:AudioPort ;\n    lv2:index " << kFirstOutputPort + i
        << " ;\n    lv2:symbol \"" << symbol << "\" ;\n    lv2:name " << quoted(name) << "\n  ]";
  }
  out << " .\n\n";
}

} // namespace

stk::Soundset BundleWriter::defaultSoundset() {
  stk::Soundset soundset{};
  for (stk::ControlAssignment& slot : soundset.slots)
    slot = stk::ControlAssignment{0, 0};
  for (stk::DrumSound& drum : soundset.drums)
    for (int param = 0; param < kParamsPerDrum; param++)
      drum.params[param] = ParameterTable::at(param).defaultValue;
  return soundset;
}

std::string BundleWriter::presetUri(const std::string& label) {
  std::string slug;
  for (char c : label) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      slug += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else if (!slug.empty() && slug.back() != '-')
      slug += '-';
  }
  while (!slug.empty() && slug.back() == '-')
    slug.pop_back();
  return "urn:tambrel:preset:" + slug;
}

std::string BundleWriter::manifest(const std::vector<Preset>& presets) {
  std::ostringstream out;
  out << kPrefixes;
  for (Variant variant : {Variant::Stereo, Variant::PerDrum})
    out << "<" << pluginUri(variant) << ">\n  a lv2:Plugin ;\n  lv2:binary <" << kBinaryName
        << "> ;\n  rdfs:seeAlso <tambrel.ttl> .\n\n";
  for (const Preset& preset : presets)
    out << "<" << presetUri(preset.label) << ">\n  a pset:Preset ;\n  lv2:appliesTo <" << kKitUri
        << ">, <" << kKit5OutUri << "> ;\n  rdfs:label " << quoted(preset.label)
        << " ;\n  rdfs:seeAlso <presets.ttl> .\n\n";
  return out.str();
}

std::string BundleWriter::plugins() {
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << kSoundsetFileUri << ">\n  a lv2:Parameter ;\n  rdfs:label \"soundset file\" ;\n"
      << "  rdfs:range atom:Path .\n\n"
      << "<" << kStateSoundsetUri << ">\n  a rdf:Property ;\n  rdfs:label \"soundset\" ;\n"
      << "  rdfs:comment \"the 968 bytes of a soundset file\" ;\n  rdfs:range atom:Chunk .\n\n"
      << "<" << kStateSeedUri << ">\n  a rdf:Property ;\n  rdfs:label \"seed\" ;\n"
      << "  rdfs:comment \"the noise tables' seed, 1 .. 4294967295\" ;\n"
      << "  rdfs:range atom:Long .\n\n";
  // Ardour's note names, declared here so that tools without Ardour's vocabulary know the term.
  out << "<" << kMidnamInterfaceUri << ">\n  a lv2:ExtensionData .\n\n";
  for (int drum = 0; drum < kDrums; drum++)
    out << groupUri(drum) << "\n  a pg:Group ;\n  lv2:symbol \"drum" << drum
        << "\" ;\n  rdfs:label \"Drum " << drum << " (note " << kDrumNotes[drum] << ")\" .\n\n";
  writePlugin(out, Variant::Stereo);
  writePlugin(out, Variant::PerDrum);
  return out.str();
}

std::string BundleWriter::presets(const std::vector<Preset>& presets) {
  std::ostringstream out;
  out << kPrefixes;
  for (const Preset& preset : presets) {
    unsigned char bytes[stk::SoundsetFormat::kSoundsetBytes];
    stk::SoundsetFormat::encode(preset.soundset, bytes);
    out << "<" << presetUri(preset.label) << ">\n  a pset:Preset ;\n  lv2:appliesTo <" << kKitUri
        << ">, <" << kKit5OutUri << "> ;\n  rdfs:label " << quoted(preset.label)
        << " ;\n  lv2:port";
    for (int drum = 0; drum < kDrums; drum++)
      for (int param = 0; param < kParamsPerDrum; param++)
        out << (drum || param ? " ," : "") << " [\n    lv2:symbol \"" << symbol(drum, param)
            << "\" ;\n    pset:value " << number(preset.soundset.drums[drum].params[param])
            << "\n  ]";
    out << " ;\n  state:state [\n    <" << kStateSoundsetUri << "> \""
        << base64(bytes, sizeof bytes) << "\"^^xsd:base64Binary\n  ] .\n\n";
  }
  return out.str();
}

std::string BundleWriter::portTable() {
  std::ostringstream out;
  out << "| port suffix | name | default | what the value does |\n|---|---|---|---|\n";
  for (int param = 0; param < kParamsPerDrum; param++) {
    const stk::ParameterInfo& info = ParameterTable::at(param);
    out << "| `" << info.suffix << "` | " << info.name << " (" << info.shortName << ") | "
        << number(info.defaultValue) << " | " << info.comment << " |\n";
  }
  return out.str();
}

bool BundleWriter::write(const std::string& directory, const std::vector<Preset>& presets,
                         std::string& error) {
  const std::pair<const char*, std::string> files[] = {
      {"manifest.ttl", manifest(presets)},
      {"tambrel.ttl", plugins()},
      {"presets.ttl", BundleWriter::presets(presets)}};
  for (const auto& file : files) {
    const std::string path = stk::SoundsetFile::inDirectory(directory, file.first);
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.second.data());
    if (!stk::SoundsetFile::replace(path, bytes, file.second.size(), &error)) {
      error = path + ": " + error;
      return false;
    }
  }
  return true;
}

} // namespace plugin
