// The event pass: every control change updates the control states, then runs the same fixed
// sequence of steps (slot editing, whole-drum actions, mode label, channel and soundset, value).
#include "NovationLogic.h"

#include "ConsoleLines.h"
#include "NovationDisplay.h"
#include "ZorvDrumKit.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <ctime>

namespace stk {

namespace {

// Controller numbers of the control port.
const int kFirstPot = 8;
const int kFirstAssignButton = 24; // slot s has its assign button at 24 + s
const int kFirstDrumButton = 40;
const int kLoad = 75;
const int kSave = 76;
const int kRand = 84;
const int kChanl = 85;
const int kCopy = 86;
const int kPaste = 87;
const int kDrumUp = 88;
const int kDrumDown = 89;
const int kSelectUp = 90;
const int kSelectDown = 91;

const int kCellWidth = 9;       // LCD characters per slot cell on rows 1 and 3
const double kStep = 0.0078125; // 1 / 128: parameter value of one slot step

int clampInt(int value, int low, int high) {
  return std::min(std::max(value, low), high);
}

// Wraps an overshoot to the far end, whatever its size.
int wrapInt(int value, int last) {
  if (value > last) return 0;
  if (value < 0) return last;
  return value;
}

} // namespace

NovationLogic::NovationLogic(NovationDisplay* display, ZorvDrumKit* kit, int* channel,
                             const std::string& directory)
    : display(display), kit(kit), channel(channel), directory(directory),
      random(static_cast<uint64_t>(std::time(nullptr)) ^ reinterpret_cast<uintptr_t>(this)) {
  initControlStates();
  initControlAssignmentsAndVals();
  soundsetNumber = 1;
  loadSoundset();
  refreshEntireDisplay();
}

NovationLogic::~NovationLogic() {}

void NovationLogic::printLine(const char* format, ...) {
  char line[64];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  if (console)
    console->print("%s", line);
  else
    std::fputs(line, stdout);
}

void NovationLogic::midiCC(int controller, int value) {
  printLine("%d %d\n", controller, value);
  updateControlStates(controller, value);
  handleLogic(controller, value);
}

void NovationLogic::updateControlStates(int controller, int value) {
  if (controller >= 0 && controller < kFirstPot) {
    int step = value - 64; // encoders are relative around 64
    controlVal[controller] = clampInt(controlVal[controller] + step, 0, 127);
    encoderDelta[controller] = step;
  } else if (controller >= kFirstPot && controller < kFirstPot + 8) {
    int pot = controller - kFirstPot;
    if (buttonState[controller + kFirstAssignButton]) {
      potLastPosition[pot] = potPosition[pot];
      potPosition[pot] = value;
    }
    controlVal[controller] = clampInt(value, 0, 127);
  } else if ((controller >= 24 && controller <= 55) || (controller >= 80 && controller <= 87)) {
    buttonState[controller] = value != 0;
  } else if (controller == kDrumUp || controller == kDrumDown) {
    drumStep = value > 0 ? (controller == kDrumUp ? 1 : -1) : 0;
    selectStep = 0;
  } else if (controller == kSelectUp || controller == kSelectDown) {
    selectStep = value > 0 ? (controller == kSelectUp ? 1 : -1) : 0;
    drumStep = 0;
  }
  if (controller > 7) std::fill(std::begin(encoderDelta), std::end(encoderDelta), 0);
}

void NovationLogic::handleLogic(int controller, int value) {
  handleLogicEnc();
  handleLogicPot();
  handleLogicSli();
  if (awaiting == kAwaitTransfer) { // the pass goes on once the pasted sound is in
    resumeController = controller;
    resumeValue = value;
    return;
  }
  finishPass(controller, value);
}

void NovationLogic::finishPass(int controller, int value) {
  handleEdgeBtnDisp(controller, value);
  handleSoundsetAndChannel(controller, value);

  if (controller >= 0 && controller < kSlots && !buttonState[controller + kFirstAssignButton])
    tweakSlot(controller);
  else if (controller == kSave && value == 1)
    saveSoundset();
  else if (controller == kLoad && value == 1)
    loadAndRefresh();
}

void NovationLogic::randomizeSlot(int slot) {
  // floor(rand() * 127 / 2^31): 0 .. 126, exact in double precision.
  int value = static_cast<int>(random.unit() * 127);
  controlVal[slot] = value;
  const ControlAssignment& a = controlAssignment[slot];
  kit->setParam(a.drum, a.param, value * kStep);
}

void NovationLogic::handleLogicEnc() {
  for (int n = 0; n < 8; ++n) {
    if (!buttonState[kFirstAssignButton + n]) continue;
    if (buttonState[kRand]) randomizeSlot(n);
    const ControlAssignment a = controlAssignment[n];
    int drum = wrapInt(a.drum + drumStep, kit->nDrums - 1);
    int param = wrapInt(a.param + encoderDelta[n], kit->getNParamsFor(drum) - 1);
    encoderDelta[n] = 0;
    storeSteppedAssignment(n, drum, param);
    showSlot(1, n, drum, param);
  }
}

void NovationLogic::handleLogicPot() {
  for (int k = 0; k < 8; ++k) {
    if (!buttonState[32 + k]) continue;
    int slot = kFirstPot + k;
    if (buttonState[kRand]) randomizeSlot(slot);
    const ControlAssignment a = controlAssignment[slot];
    int drum = wrapInt(a.drum + drumStep, kit->nDrums - 1);
    int param = a.param;
    if (potPosition[k] != potLastPosition[k]) {
      // floor(position * (N - 1) / 127): the pot's travel spread over the drum's parameters.
      param = clampInt(potPosition[k], 0, 127) * (kit->getNParamsFor(drum) - 1) / 127;
    }
    storeSteppedAssignment(slot, drum, param);
    showSlot(3, k, drum, param);
  }
}

void NovationLogic::storeSteppedAssignment(int slot, int drum, int param) {
  const ControlAssignment& old = controlAssignment[slot];
  if (drum == old.drum && param == old.param) return;
  int storedDrum = clampInt(drum, 0, kit->nDrums - 1);
  controlAssignment[slot].drum = storedDrum;
  controlAssignment[slot].param = clampInt(param, 0, kit->getNParamsFor(storedDrum) - 1);
  saveSoundset();
}

void NovationLogic::showSlot(int row, int cell, int drum, int param) {
  char text[32];
  std::snprintf(text, sizeof text, "%-7s", kit->getParamName(drum, param));
  display->lcdTextPos(row, kCellWidth * cell + 1, text);
  std::snprintf(text, sizeof text, "%1d", drum);
  display->lcdTextPos(row, kCellWidth * cell, text);
}

void NovationLogic::handleLogicSli() {
  for (int column = 0; column < 8; ++column) {
    if (!buttonState[kFirstDrumButton + column]) continue;
    if (buttonState[kCopy]) {
      if (column < kit->nDrums) saveDrumParamsFor(column);
      return;
    }
    if (buttonState[kPaste]) {
      pasteDrum(column);
      return;
    }
    if (buttonState[kRand] && column < kit->nDrums) {
      for (int j = 0; j < kit->getNParamsFor(column); ++j)
        kit->setParam(column, j, random.unit());
    }
  }
}

void NovationLogic::handleEdgeBtnDisp(int, int value) {
  const char* label = nullptr;
  if (buttonState[kChanl])
    label = "Chanl";
  else if (buttonState[kCopy])
    label = "Copy ";
  else if (buttonState[kPaste])
    label = "Paste";
  else if (buttonState[kRand])
    label = "Rand ";
  else if (value == 0)
    label = "     ";
  if (label) display->lcdTextPos(2, 0, label);
}

// The refresh prints the lines of the events it stands for and draws what they draw (every
// slot's cell, the label, "Soundset" with the number, the channel), but edits nothing: no slot,
// value, parameter, channel, soundset number or file changes, whatever controls are held.
void NovationLogic::refreshEntireDisplay() {
  for (int controller = kFirstAssignButton; controller < kFirstAssignButton + kSlots;
       ++controller) {
    redrawFor(controller, 1);
    redrawFor(controller, 0);
  }
  for (int controller : {kSelectUp, kSelectDown, kChanl}) {
    redrawFor(controller, 1);
    redrawFor(controller, 0);
  }
}

void NovationLogic::redrawFor(int controller, int value) {
  printLine("%d %d\n", controller, value);
  const bool keptButton = buttonState[controller];
  const int keptSelectStep = selectStep, keptDrumStep = drumStep;
  if (controller == kSelectUp || controller == kSelectDown) {
    selectStep = value > 0 ? (controller == kSelectUp ? 1 : -1) : 0;
    drumStep = 0;
  } else {
    buttonState[controller] = value != 0;
  }
  for (int n = 0; n < 8; ++n)
    if (buttonState[kFirstAssignButton + n])
      showSlot(1, n, controlAssignment[n].drum, controlAssignment[n].param);
  for (int k = 0; k < 8; ++k)
    if (buttonState[32 + k])
      showSlot(3, k, controlAssignment[kFirstPot + k].drum, controlAssignment[kFirstPot + k].param);
  handleEdgeBtnDisp(controller, value);
  showSoundsetAndChannel(value);
  buttonState[controller] = keptButton;
  selectStep = keptSelectStep;
  drumStep = keptDrumStep;
}

void NovationLogic::initControlStates() {
  std::fill(std::begin(buttonState), std::end(buttonState), false);
  drumStep = 0;
  selectStep = 0;
  std::fill(std::begin(encoderDelta), std::end(encoderDelta), 0);
  std::fill(std::begin(potPosition), std::end(potPosition), 0);
  std::fill(std::begin(potLastPosition), std::end(potLastPosition), 0);
  printLine("initControlStates OK\n");
}

void NovationLogic::initControlAssignmentsAndVals() {
  for (int slot = 0; slot < kSlots; ++slot) {
    controlAssignment[slot] = ControlAssignment{0, 0};
    controlVal[slot] = 0;
  }
  printLine("initControlAssignmentsAndVals OK\n");
}

void NovationLogic::assign(int slot, int drum, int param) {
  slot = clampInt(slot, 0, kSlots - 1);
  drum = clampInt(drum, 0, kit->nDrums - 1);
  param = clampInt(param, 0, kit->getNParamsFor(drum) - 1);
  controlAssignment[slot] = ControlAssignment{drum, param};
}

void NovationLogic::tweakSlot(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  const ControlAssignment& a = controlAssignment[slot];
  kit->setParam(a.drum, a.param, controlVal[slot] * kStep);
}

} // namespace stk
