// The note rules: note-on, note-off and velocity 0 on the note channel; nothing else.
#include "NoteRouting.h"

#include "ZorvDrumKit.h"

NoteMark applyNoteMessage(stk::ZorvDrumKit& kit, int noteChannel, int status, int data1,
                          int data2) {
  NoteMark mark;
  int type = status & 0xF0;
  if ((status & 0x0F) != noteChannel || (type != 0x90 && type != 0x80)) return mark;
  if (type == 0x90 && data2 <= 0) type = 0x80;
  const stk::StkFloat note = data1;
  if (type == 0x90) {
    kit.noteOn(note, data2 * 0.0078125); // velocity / 128
    mark.text = "*";
  } else {
    kit.noteOff(note);
    mark.text = " ";
  }
  mark.drum = kit.getDrumNumForNote(note);
  return mark;
}
