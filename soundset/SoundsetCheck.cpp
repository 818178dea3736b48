// The program's loading rules, read backwards: what of a file does not arrive as stored.
#include "SoundsetCheck.h"

#include "ParameterNames.h"
#include "ValueText.h"

#include <algorithm>
#include <cmath>

namespace stk {

namespace {

const size_t kRecord = SoundsetFormat::kRecordBytes;

} // namespace

SoundsetCheck::SoundsetCheck(const std::vector<unsigned char>& bytes, uintmax_t fileSize)
    : kind(SoundsetDocument::kindOfSize(fileSize)) {
  size_t layoutBytes = kind == SoundsetDocument::Kind::Soundset ? SoundsetFormat::kSoundsetBytes
                                                                : SoundsetFormat::kTransferBytes;
  size_t heldBytes = static_cast<size_t>(std::min<uintmax_t>(fileSize, layoutBytes));
  // Fields the file does not hold decode as zeros and are reported by checkLength instead.
  std::vector<unsigned char> padded(layoutBytes, 0);
  std::copy(bytes.begin(), bytes.begin() + std::min(heldBytes, bytes.size()), padded.begin());
  Soundset stored{};
  if (kind == SoundsetDocument::Kind::Soundset) {
    SoundsetFormat::decode(padded.data(), stored);
    checkLength(fileSize);
    checkSlots(stored, heldBytes);
  } else {
    SoundsetFormat::decode(padded.data(), stored.drums[0]);
  }
  checkValues(stored, kind == SoundsetDocument::Kind::Soundset
                          ? heldBytes
                          : heldBytes + SoundsetFormat::kSlotBytes);
}

void SoundsetCheck::checkLength(uintmax_t fileSize) {
  const uintmax_t layout = SoundsetFormat::kSoundsetBytes;
  if (fileSize == layout) return;
  std::string length = std::to_string(fileSize) + " bytes where a soundset file has " +
                       std::to_string(layout) + " and a transfer file " +
                       std::to_string(SoundsetFormat::kTransferBytes);
  if (fileSize > layout) {
    uintmax_t extra = fileSize - layout;
    faults.push_back(length + (extra == 1
                                   ? ": the last byte is ignored"
                                   : ": the last " + std::to_string(extra) + " bytes are ignored"));
    return;
  }
  faults.push_back(length);
  size_t slotsHeld = static_cast<size_t>(fileSize) / kRecord;
  if (slotsHeld + 1 == SoundsetFormat::kSlots)
    faults.push_back("pot 8 is not in the file in full: it keeps the assignment it had");
  else if (slotsHeld < SoundsetFormat::kSlots)
    faults.push_back(ParameterNames::slot(static_cast<int>(slotsHeld)) +
                     " .. pot 8 are not in the file in full: they keep the assignments they had");
  size_t valuesHeld = fileSize > SoundsetFormat::kSlotBytes
                          ? (static_cast<size_t>(fileSize) - SoundsetFormat::kSlotBytes) / kRecord
                          : 0;
  size_t values = SoundsetFormat::kDrums * SoundsetFormat::kParams;
  faults.push_back(std::to_string(values - valuesHeld) + " of " + std::to_string(values) +
                   " values, from " +
                   valueName(static_cast<int>(valuesHeld / SoundsetFormat::kParams),
                             static_cast<int>(valuesHeld % SoundsetFormat::kParams)) +
                   " on, are not in the file in full: they load as 0");
}

void SoundsetCheck::checkSlots(const Soundset& stored, size_t heldBytes) {
  for (int slot = 0; slot < SoundsetFormat::kSlots; ++slot) {
    const ControlAssignment& record = stored.slots[slot];
    if ((slot + 1) * kRecord > heldBytes || ParameterNames::withinKit(record)) continue;
    faults.push_back(
        ParameterNames::slot(slot) + ": " + ParameterNames::assignment(record) + " loads as " +
        ParameterNames::assignment(SoundsetFormat::clamped(record.drum, record.param)));
  }
}

// heldBytes counts from the start of a soundset file's layout.
void SoundsetCheck::checkValues(const Soundset& stored, size_t heldBytes) {
  int drums = kind == SoundsetDocument::Kind::Soundset ? SoundsetFormat::kDrums : 1;
  for (int drum = 0; drum < drums; ++drum)
    for (int param = 0; param < SoundsetFormat::kParams; ++param) {
      size_t end = SoundsetFormat::kSlotBytes + drum * SoundsetFormat::kTransferBytes +
                   (param + 1) * kRecord;
      double value = stored.drums[drum].params[param];
      if (end > heldBytes) continue;
      if (!std::isfinite(value))
        faults.push_back(valueName(drum, param) + " is " + ValueText::exact(value) +
                         ": loads as 0");
      else if (value < 0 || value > 1)
        unusualValues.push_back(valueName(drum, param) + " is " + ValueText::exact(value) +
                                ", outside 0 .. 1: loaded as stored, but no control sets it");
    }
}

std::string SoundsetCheck::valueName(int drum, int param) const {
  if (kind == SoundsetDocument::Kind::Transfer) return ParameterNames::parameter(param);
  return "drum " + std::to_string(drum) + " " + ParameterNames::parameter(param);
}

} // namespace stk
