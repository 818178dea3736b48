// Soundset and transfer files, and the stepping of the note channel and the soundset number.
#include "NovationLogic.h"

#include "FileWorker.h"
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
  FileRequest request;
  request.kind = FileRequest::kSaveSoundset;
  request.number = soundsetNumber;
  request.size = SoundsetFormat::kSoundsetBytes;
  SoundsetFormat::encode(soundset, request.bytes);
  submit(request);
}

void NovationLogic::loadSoundset() {
  std::vector<unsigned char> bytes;
  if (SoundsetFile::read(soundsetPath(), SoundsetFormat::kSoundsetBytes, bytes))
    applySoundset(bytes.data(), bytes.size());
}

void NovationLogic::saveDrumParamsFor(int drum) {
  if (drum < 0 || drum >= kit->nDrums) return;
  DrumSound sound;
  SoundsetFormat::capture(*kit, drum, sound);
  FileRequest request;
  request.kind = FileRequest::kSaveTransfer;
  request.number = drum;
  request.size = SoundsetFormat::kTransferBytes;
  SoundsetFormat::encode(sound, request.bytes);
  submit(request);
}

void NovationLogic::submit(const FileRequest& request) {
  if (files)
    files->post(request);
  else
    FileWorker::perform(directory, request, nullptr);
}

void NovationLogic::loadDrumParamsFor(int drum) {
  printLine("load %d\n", drum);
  if (drum < 0 || drum >= kit->nDrums) return;
  std::vector<unsigned char> bytes;
  if (SoundsetFile::read(transferPath(), SoundsetFormat::kTransferBytes, bytes))
    applyTransfer(drum, bytes.data(), bytes.size());
}

void NovationLogic::pasteDrum(int drum) {
  if (!files) {
    loadDrumParamsFor(drum);
    return;
  }
  printLine("load %d\n", drum);
  if (drum < 0 || drum >= kit->nDrums) return;
  FileRequest request;
  request.kind = FileRequest::kLoadTransfer;
  request.number = drum;
  request.size = 0;
  files->post(request);
  awaiting = kAwaitTransfer;
}

void NovationLogic::loadAndRefresh() {
  if (!files) {
    loadSoundset();
    refreshEntireDisplay();
    return;
  }
  FileRequest request;
  request.kind = FileRequest::kLoadSoundset;
  request.number = soundsetNumber;
  request.size = 0;
  files->post(request);
  awaiting = kAwaitSoundset;
}

void NovationLogic::completeRead(const FileResult& result) {
  const Awaiting was = awaiting;
  awaiting = kAwaitNothing;
  if (was == kAwaitSoundset && result.kind == FileRequest::kLoadSoundset) {
    if (result.found) applySoundset(result.bytes, result.size);
    refreshEntireDisplay();
  } else if (was == kAwaitTransfer && result.kind == FileRequest::kLoadTransfer) {
    if (result.found) applyTransfer(result.number, result.bytes, result.size);
    finishPass(resumeController, resumeValue);
  }
}

void NovationLogic::applySoundset(const unsigned char* bytes, size_t size) {
  Soundset soundset;
  SoundsetFormat::capture(*kit, controlAssignment, soundset);
  SoundsetFormat::load(bytes, size, soundset);
  std::copy(std::begin(soundset.slots), std::end(soundset.slots), controlAssignment);
  SoundsetFormat::apply(soundset, *kit);
}

void NovationLogic::applyTransfer(int drum, const unsigned char* bytes, size_t size) {
  DrumSound sound;
  SoundsetFormat::load(bytes, size, sound);
  SoundsetFormat::apply(sound, drum, *kit);
}

void NovationLogic::showSoundsetNumber() {
  char text[16];
  std::snprintf(text, sizeof text, "Soundset%1d", soundsetNumber);
  display->lcdTextPos(2, 37, text);
}

void NovationLogic::showSoundsetAndChannel(int value) {
  if (buttonState[85]) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", *channel);
    display->lcdTextPos(2, 5, text);
  } else if (value == 0) {
    display->lcdTextPos(2, 5, "  ");
  } else if (selectStep != 0) {
    showSoundsetNumber();
  }
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
