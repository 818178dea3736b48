// Text for people, JSON for programs; a figure that does not exist is "-" or null.
#include "FiguresReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace stk {

namespace {

std::string fixed(double value, int decimals) {
  if (!std::isfinite(value)) return value < 0 ? "-inf" : "-";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size() + 1, ' ');
}

nlohmann::ordered_json number(double value) {
  if (!std::isfinite(value)) return nullptr;
  return value;
}

} // namespace

std::string FiguresReport::table(const std::vector<Row>& rows) {
  const std::vector<std::string> header = {"drum",     "note",        "peak dBFS", "LUFS",
                                           "pitch Hz", "centroid Hz", "fall40 ms", "DC share"};
  std::vector<std::vector<std::string>> lines{header};
  for (const Row& row : rows) {
    const HitFigures& f = row.figures;
    std::vector<std::string> line{std::to_string(row.drum), std::to_string(row.note)};
    if (f.silent) {
      line.push_back("silent");
    } else {
      line.insert(line.end(), {fixed(f.peakDb, 1), fixed(f.loudnessLufs, 1), fixed(f.pitchHz, 1),
                               fixed(f.centroidHz, 0),
                               (f.fallComplete ? "" : ">") + fixed(f.fallSeconds * 1000, 0),
                               fixed(f.dcShare, 3)});
    }
    lines.push_back(line);
  }
  std::vector<size_t> widths(header.size(), 0);
  for (const auto& line : lines)
    for (size_t column = 0; column < line.size(); ++column)
      widths[column] = std::max(widths[column], line[column].size());
  std::string text;
  for (const auto& line : lines) {
    std::string out;
    for (size_t column = 0; column < line.size(); ++column)
      out += column + 1 < line.size() ? padded(line[column], widths[column] + 1) : line[column];
    text += out + "\n";
  }
  return text;
}

std::string FiguresReport::json(const std::string& file, const std::string& kit, unsigned seed,
                                const std::vector<Row>& rows) {
  nlohmann::ordered_json document;
  document["file"] = file;
  document["kit"] = kit.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(kit);
  document["seed"] = seed;
  document["drums"] = nlohmann::ordered_json::array();
  for (const Row& row : rows) {
    const HitFigures& f = row.figures;
    nlohmann::ordered_json drum;
    drum["drum"] = row.drum;
    drum["note"] = row.note;
    drum["silent"] = f.silent;
    bool sounding = !f.silent;
    drum["peak_dbfs"] = sounding ? number(f.peakDb) : nullptr;
    drum["loudness_lufs"] = sounding ? number(f.loudnessLufs) : nullptr;
    drum["pitch_hz"] = sounding ? number(f.pitchHz) : nullptr;
    drum["centroid_hz"] = sounding ? number(f.centroidHz) : nullptr;
    drum["fall40_ms"] = sounding && f.fallComplete ? number(f.fallSeconds * 1000) : nullptr;
    drum["dc_share"] = sounding ? number(f.dcShare) : nullptr;
    document["drums"].push_back(drum);
  }
  return document.dump(2) + "\n";
}

} // namespace stk
