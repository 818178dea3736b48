// Writes the controller's LCDs and lights as System Exclusive and Control Change messages.
#ifndef TAMBREL_NOVATIONDISPLAY_H
#define TAMBREL_NOVATIONDISPLAY_H

#include <cstddef>

class RtMidiOut;

namespace stk {

class DisplayOutbox;

class NovationDisplay {
public:
  // Sends the template change, clears both LCDs and turns the lights on. With an outbox every
  // message goes there (a sender thread takes it to the MIDI output); without one it goes
  // straight to midiOut; with neither, nowhere.
  explicit NovationDisplay(RtMidiOut* midiOut, DisplayOutbox* outbox = nullptr);
  ~NovationDisplay();

  void reset();
  void changeToReasonAutomapTemplate();
  void lcdClear(int selector);
  void clearLeftLCD();
  void clearRightLCD();
  // row and column 0 .. 127; at most 40 characters of text are sent.
  void lcdTextPos(int row, int column, const char* text);
  void lcdText(int row, const char* text);
  void lcdClearText(int row, const char* text);
  void AllLightsOn();
  void AllLightsOff();

private:
  void send(const unsigned char* bytes, size_t size);

  RtMidiOut* midiOut;
  DisplayOutbox* outbox;
};

} // namespace stk

#endif
