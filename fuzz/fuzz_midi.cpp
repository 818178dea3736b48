// Fuzzes the MIDI input path: any bytes from either port, converted, queued and applied by the
// audio callback with a kit, a display and a logic attached.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "FuzzRig.h"
#include "tambrel.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzRig::enterScratchDirectory();
  return 0;
}

// Input: records of [port and length byte][up to 4 message bytes]; bit 7 of the first byte
// picks the control port, its low 3 bits the message length (0 .. 7, at most what is left).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRig rig;
  TickData tickData;
  tickData.kit = &rig.kit;
  tickData.display = &rig.display;
  tickData.logic = &rig.logic;
  tickData.midiChannel = rig.channel;
  tickData.outputEnabled = true;
  rig.logic.channel = &tickData.midiChannel;

  double buffer[2 * 96];
  std::vector<unsigned char> message;
  size_t i = 0;
  while (i < size) {
    const uint8_t head = data[i++];
    size_t length = head & 0x07;
    if (length > size - i) length = size - i;
    message.assign(data + i, data + i + length);
    i += length;
    if (head & 0x80)
      ctlPortMidiCallback(0.0, &message, &tickData);
    else
      notePortMidiCallback(0.0, &message, &tickData);

    tick(buffer, nullptr, 96, 0.0, 0, &tickData);
    for (double sample : buffer)
      if (!(std::fabs(sample) <= 5.0)) std::abort();
    if (tickData.midiChannel < 0 || tickData.midiChannel > 15) std::abort();
    rig.checkSlots();
    rig.checkDisplayMessages();
  }
  return 0;
}
