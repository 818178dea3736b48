// Builds the controller's LCD, template and light messages and sends each one at once.
#include "NovationDisplay.h"

#include "DisplayOutbox.h"

#include <RtMidi.h>

#include <cstddef>

namespace stk {

namespace {

const int kMaxTextLength = 40; // characters of one LCD text message

// One outgoing message, built on the stack: the note marks are written from the audio callback,
// which must not allocate. The longest message is an LCD text: 15 bytes, 40 characters, F7.
class Message {
public:
  Message& operator<<(unsigned char byte) {
    bytes[size++] = byte;
    return *this;
  }
  // F0, Novation's identifier 00 20 29, the device bytes 03 03, then six bytes of the message.
  Message& sysex(const unsigned char (&header)[6]) {
    *this << 0xF0 << 0x00 << 0x20 << 0x29 << 0x03 << 0x03;
    for (unsigned char byte : header)
      *this << byte;
    return *this;
  }
  const unsigned char* data() const { return bytes; }
  size_t length() const { return size; }

private:
  unsigned char bytes[15 + kMaxTextLength + 1];
  size_t size = 0;
};

const unsigned char kTemplateHeader[] = {0x22, 0x03, 0x01, 0x00, 0x01, 0x01};
const unsigned char kClearHeader[] = {0x22, 0x03, 0x01, 0x00, 0x02, 0x02};
const unsigned char kTextHeader[] = {0x20, 0x02, 0x01, 0x00, 0x02, 0x01};
const unsigned char kSysexEnd = 0xF7;

bool isDataByte(int number) {
  return number >= 0 && number <= 127;
}

} // namespace

NovationDisplay::NovationDisplay(RtMidiOut* midiOut, DisplayOutbox* outbox)
    : midiOut(midiOut), outbox(outbox) {
  reset();
}

void NovationDisplay::send(const unsigned char* bytes, size_t size) {
  if (outbox)
    outbox->post(bytes, size);
  else if (midiOut)
    midiOut->sendMessage(bytes, size);
}

NovationDisplay::~NovationDisplay() {}

void NovationDisplay::reset() {
  changeToReasonAutomapTemplate();
  clearLeftLCD();
  clearRightLCD();
  AllLightsOn();
}

void NovationDisplay::changeToReasonAutomapTemplate() {
  Message message;
  message.sysex(kTemplateHeader) << kSysexEnd;
  send(message.data(), message.length());
}

void NovationDisplay::lcdClear(int selector) {
  if (!isDataByte(selector)) return; // as for rows and columns: no status byte inside the message
  Message message;
  message.sysex(kClearHeader) << static_cast<unsigned char>(selector) << kSysexEnd;
  send(message.data(), message.length());
}

void NovationDisplay::clearLeftLCD() {
  lcdClear(4);
}

void NovationDisplay::clearRightLCD() {
  lcdClear(5);
}

void NovationDisplay::lcdTextPos(int row, int column, const char* text) {
  // A row or column outside 0 .. 127 would put a status byte inside the System Exclusive
  // message (a note that names no drum asks for column -1): such a request is not sent.
  if (!isDataByte(row) || !isDataByte(column)) return;
  Message message;
  message.sysex(kTextHeader) << static_cast<unsigned char>(column)
                             << static_cast<unsigned char>(row) << 0x04;
  for (int i = 0; i < kMaxTextLength && text[i] != '\0'; ++i)
    message << static_cast<unsigned char>(text[i]);
  message << kSysexEnd;
  send(message.data(), message.length());
}

void NovationDisplay::lcdText(int row, const char* text) {
  lcdTextPos(row, 0, text);
}

void NovationDisplay::lcdClearText(int row, const char* text) {
  lcdClear(row);
  lcdTextPos(row, 0, text);
}

void NovationDisplay::AllLightsOn() {
  Message select, on;
  select << 0xB0 << 0x60 << 0x1F; // controller 96, value 31
  on << 0xB0 << 0x61 << 0x07;     // controller 97, value 7
  send(select.data(), select.length());
  send(on.data(), on.length());
}

void NovationDisplay::AllLightsOff() {
  Message select, off;
  select << 0xB0 << 0x60 << 0x1F;
  off << 0xB0 << 0x61 << 0x00;
  send(select.data(), select.length());
  send(off.data(), off.length());
}

} // namespace stk
