// The shared fuzzing rig and its invariant checks.
#include "FuzzRig.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "ZorvDrum.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

RecordingMidiOut& sharedMidiOut() {
  static RecordingMidiOut midiOut;
  midiOut.clear();
  return midiOut;
}

} // namespace

FuzzRig::FuzzRig() : midiOut(sharedMidiOut()), display(&midiOut), logic(&display, &kit, &channel) {}

FuzzRig::~FuzzRig() = default;

void FuzzRig::enterScratchDirectory() {
  char pattern[] = "tambrel-fuzz-XXXXXX"; // inside the fuzzing run's own folder
  if (!mkdtemp(pattern) || chdir(pattern) != 0) fail("no scratch directory");
  if (!std::freopen("/dev/null", "w", stdout)) fail("stdout not redirected");
}

void FuzzRig::writeFile(const char* name, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  if (!file) fail("cannot write fuzz input file");
  if (size > 0 && std::fwrite(data, 1, size, file) != size) fail("short write of fuzz input");
  std::fclose(file);
}

void FuzzRig::checkSlots() {
  for (int slot = 0; slot < stk::NovationLogic::kSlots; ++slot) {
    const stk::ControlAssignment& a = logic.controlAssignment[slot];
    if (a.drum < 0 || a.drum >= kit.nDrums) fail("assignment drum outside the kit");
    if (a.param < 0 || a.param >= kit.getNParamsFor(a.drum)) fail("assignment param outside");
    if (logic.controlVal[slot] < 0 || logic.controlVal[slot] > 127) fail("slot value outside");
  }
}

void FuzzRig::checkDisplayMessages() {
  for (const RecordingMidiOut::Message& m : midiOut.messages()) {
    if (m.empty() || m.front() != 0xF0) continue;
    if (m.back() != 0xF7) fail("System Exclusive message not closed by F7");
    for (size_t i = 1; i + 1 < m.size(); ++i)
      if (m[i] >= 0x80) fail("byte of 0x80 or above inside System Exclusive");
  }
  midiOut.clear();
}

void FuzzRig::renderAndCheck(int frames) {
  for (int i = 0; i < frames; ++i) {
    const stk::StkFloat mix = kit.tick();
    if (!(std::fabs(mix) <= 5.0)) fail("kit sample outside -5 .. 5");
    for (int d = 0; d < kit.nDrums; ++d)
      if (!(std::fabs(kit.drums[d]->lastOut()) <= 1.0)) fail("voice sample outside -1 .. 1");
  }
}
