// The note rules shared by the live program and the renderer: one MIDI channel message to the kit.
#ifndef TAMBREL_NOTEROUTING_H
#define TAMBREL_NOTEROUTING_H

namespace stk {
class ZorvDrumKit;
}

// What a note message asks of the LCD: the drum whose mark to write (-1: none) and the mark.
struct NoteMark {
  int drum = -1;
  const char* text = nullptr; // "*" for a note-on, " " for a note-off
};

// Applies a channel message (status 0x80 .. 0xEF with its data bytes, 0 .. 127) to the kit:
// a note-on on noteChannel (0 .. 15) starts the drum of its note number at velocity / 128, a
// note-on of velocity 0 or a note-off releases it; everything else is ignored.
NoteMark applyNoteMessage(stk::ZorvDrumKit& kit, int noteChannel, int status, int data1, int data2);

#endif
