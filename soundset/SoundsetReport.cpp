// Tables for `show`, differences for `diff`.
#include "SoundsetReport.h"

#include "ParameterNames.h"
#include "ValueText.h"

#include <algorithm>

namespace stk {

namespace {

using Row = std::vector<std::string>;

// Rows as left-aligned columns two blanks apart, trailing blanks trimmed.
std::string table(const std::vector<Row>& rows) {
  std::vector<size_t> widths;
  for (const Row& row : rows)
    for (size_t column = 0; column < row.size(); ++column) {
      widths.resize(std::max(widths.size(), row.size()), 0);
      widths[column] = std::max(widths[column], row[column].size());
    }
  std::string text;
  for (const Row& row : rows) {
    std::string line;
    for (size_t column = 0; column < row.size(); ++column) {
      line += row[column];
      if (column + 1 < row.size())
        line += std::string(widths[column] - row[column].size() + 2, ' ');
    }
    text += line + "\n";
  }
  return text;
}

std::string slotParameter(const ControlAssignment& slot) {
  if (ParameterNames::withinKit(slot)) return ParameterNames::parameter(slot.param);
  return "parameter " + std::to_string(slot.param) + " (outside the kit)";
}

} // namespace

std::string SoundsetReport::show(const SoundsetDocument& document) {
  std::string text;
  if (document.kind == SoundsetDocument::Kind::Soundset) {
    std::vector<Row> slots{{"slot", "drum", "parameter"}};
    for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot) {
      const ControlAssignment& record = document.contents.slots[slot];
      slots.push_back(
          {ParameterNames::slot(slot), std::to_string(record.drum), slotParameter(record)});
    }
    text += table(slots) + "\n";
  }
  std::vector<Row> values{{"parameter"}};
  for (int drum = 0; drum < document.drumCount(); ++drum)
    values[0].push_back(document.kind == SoundsetDocument::Kind::Soundset
                            ? "drum " + std::to_string(drum)
                            : "value");
  for (int param = 0; param < SoundsetFormat::kParams; ++param) {
    Row row{ParameterNames::parameter(param)};
    for (int drum = 0; drum < document.drumCount(); ++drum)
      row.push_back(ValueText::shown(document.contents.drums[drum].params[param]));
    values.push_back(row);
  }
  return text + table(values);
}

std::vector<std::string> SoundsetReport::diff(const SoundsetDocument& a,
                                              const SoundsetDocument& b) {
  std::vector<std::string> lines;
  if (a.kind == SoundsetDocument::Kind::Soundset)
    for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot) {
      const ControlAssignment& before = a.contents.slots[slot];
      const ControlAssignment& after = b.contents.slots[slot];
      if (before.drum != after.drum || before.param != after.param)
        lines.push_back(ParameterNames::slot(slot) + ": " + ParameterNames::assignment(before) +
                        " -> " + ParameterNames::assignment(after));
    }
  for (int drum = 0; drum < a.drumCount(); ++drum)
    for (int param = 0; param < SoundsetFormat::kParams; ++param) {
      double before = a.contents.drums[drum].params[param];
      double after = b.contents.drums[drum].params[param];
      if (!ValueText::sameBits(before, after))
        lines.push_back(valueName(a, drum, param) + ": " + ValueText::shown(before) + " -> " +
                        ValueText::shown(after));
    }
  return lines;
}

std::string SoundsetReport::valueName(const SoundsetDocument& document, int drum, int param) {
  if (document.kind == SoundsetDocument::Kind::Transfer) return ParameterNames::parameter(param);
  return "drum " + std::to_string(drum) + " " + ParameterNames::parameter(param);
}

} // namespace stk
