// Soundset and transfer files, and the stepping of the note channel and the soundset number.
#include "NovationLogic.h"

#include "NovationDisplay.h"
#include "SoundsetFile.h"
#include "SoundsetFormat.h"
#include "ZorvDrumKit.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace stk {

std::string NovationLogic::soundsetPath() const {
  return SoundsetFile::inDirectory(directory, SoundsetFile::soundsetName(soundsetNumber));
}

std::string NovationLogic::transferPath() const {
  return SoundsetFile::inDirectory(directory, SoundsetFile::kTransferName);
}

void NovationLogic::saveSoundset() {
  Soundset soundset;
  SoundsetFormat::capture(*kit, controlAssignment, soundset);
  unsigned char bytes[SoundsetFormat::kSoundsetBytes];
  SoundsetFormat::encode(soundset, bytes);
  SoundsetFile::replace(soundsetPath(), bytes, sizeof bytes);
}

void NovationLogic::loadSoundset() {
  std::vector<unsigned char> bytes;
  if (!SoundsetFile::read(soundsetPath(), SoundsetFormat::kSoundsetBytes, bytes)) return;
  Soundset soundset;
  SoundsetFormat::capture(*kit, controlAssignment, soundset);
  SoundsetFormat::load(bytes.data(), bytes.size(), soundset);
  std::copy(std::begin(soundset.slots), std::end(soundset.slots), controlAssignment);
  SoundsetFormat::apply(soundset, *kit);
}

void NovationLogic::saveDrumParamsFor(int drum) {
  if (drum < 0 || drum >= kit->nDrums) return;
  DrumSound sound;
  SoundsetFormat::capture(*kit, drum, sound);
  unsigned char bytes[SoundsetFormat::kTransferBytes];
  SoundsetFormat::encode(sound, bytes);
  SoundsetFile::replace(transferPath(), bytes, sizeof bytes);
}

void NovationLogic::loadDrumParamsFor(int drum) {
  std::printf("load %d\n", drum);
  if (drum < 0 || drum >= kit->nDrums) return;
  std::vector<unsigned char> bytes;
  if (!SoundsetFile::read(transferPath(), SoundsetFormat::kTransferBytes, bytes)) return;
  DrumSound sound;
  SoundsetFormat::load(bytes.data(), bytes.size(), sound);
  SoundsetFormat::apply(sound, drum, *kit);
}

void NovationLogic::showSoundsetNumber() {
  char text[16];
  std::snprintf(text, sizeof text, "Soundset%1d", soundsetNumber);
  display->lcdTextPos(2, 37, text);
}

void NovationLogic::handleSoundsetAndChannel(int, int value) {
  if (buttonState[85]) { // Chanl
    if (selectStep != 0) {
      int stepped = *channel + selectStep;
      *channel = stepped > 15 ? 0 : (stepped < 0 ? 15 : stepped);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02d", *channel);
    display->lcdTextPos(2, 5, text);
  } else if (value == 0) {
    display->lcdTextPos(2, 5, "  ");
  } else if (selectStep != 0) {
    int stepped = soundsetNumber + selectStep;
    soundsetNumber = stepped > 9 ? 9 : (stepped < 0 ? 0 : stepped);
    showSoundsetNumber();
  }
}

} // namespace stk
