// Writes the controller's LCDs and lights as System Exclusive and Control Change messages.
#ifndef TAMBREL_NOVATIONDISPLAY_H
#define TAMBREL_NOVATIONDISPLAY_H

class RtMidiOut;

namespace stk {

class NovationDisplay {
public:
  // Sends the template change, clears both LCDs and turns the lights on.
  explicit NovationDisplay(RtMidiOut* midiOut);
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
  RtMidiOut* midiOut;
};

} // namespace stk

#endif
