// Builds the controller's LCD, template and light messages and sends each one at once.
#include "NovationDisplay.h"

#include <RtMidi.h>

#include <vector>

namespace stk {

namespace {

// Start of every System Exclusive message: Novation's identifier, then the device bytes 03 03.
const unsigned char kSysexStart[] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03};
const unsigned char kTemplateHeader[] = {0x22, 0x03, 0x01, 0x00, 0x01, 0x01};
const unsigned char kClearHeader[] = {0x22, 0x03, 0x01, 0x00, 0x02, 0x02};
const unsigned char kTextHeader[] = {0x20, 0x02, 0x01, 0x00, 0x02, 0x01};
const unsigned char kSysexEnd = 0xF7;

const int kMaxTextLength = 40; // characters of one LCD text message

std::vector<unsigned char> sysexWith(const unsigned char (&header)[6]) {
  std::vector<unsigned char> message;
  message.reserve(12 + 3 + kMaxTextLength + 1); // the longest message: an LCD text
  for (unsigned char byte : kSysexStart)
    message.push_back(byte);
  for (unsigned char byte : header)
    message.push_back(byte);
  return message;
}

bool isDataByte(int number) {
  return number >= 0 && number <= 127;
}

} // namespace

NovationDisplay::NovationDisplay(RtMidiOut* midiOut) : midiOut(midiOut) {
  reset();
}

NovationDisplay::~NovationDisplay() {}

void NovationDisplay::reset() {
  changeToReasonAutomapTemplate();
  clearLeftLCD();
  clearRightLCD();
  AllLightsOn();
}

void NovationDisplay::changeToReasonAutomapTemplate() {
  std::vector<unsigned char> message = sysexWith(kTemplateHeader);
  message.push_back(kSysexEnd);
  midiOut->sendMessage(&message);
}

void NovationDisplay::lcdClear(int selector) {
  if (!isDataByte(selector)) return; // as for rows and columns: no status byte inside the message
  std::vector<unsigned char> message = sysexWith(kClearHeader);
  message.push_back(static_cast<unsigned char>(selector & 0xFF));
  message.push_back(kSysexEnd);
  midiOut->sendMessage(&message);
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
  std::vector<unsigned char> message = sysexWith(kTextHeader);
  message.push_back(static_cast<unsigned char>(column));
  message.push_back(static_cast<unsigned char>(row));
  message.push_back(0x04);
  for (int i = 0; i < kMaxTextLength && text[i] != '\0'; ++i)
    message.push_back(static_cast<unsigned char>(text[i]));
  message.push_back(kSysexEnd);
  midiOut->sendMessage(&message);
}

void NovationDisplay::lcdText(int row, const char* text) {
  lcdTextPos(row, 0, text);
}

void NovationDisplay::lcdClearText(int row, const char* text) {
  lcdClear(row);
  lcdTextPos(row, 0, text);
}

void NovationDisplay::AllLightsOn() {
  std::vector<unsigned char> first = {0xB0, 0x60, 0x1F};
  midiOut->sendMessage(&first);
  std::vector<unsigned char> second = {0xB0, 0x61, 0x07};
  midiOut->sendMessage(&second);
}

void NovationDisplay::AllLightsOff() {
  std::vector<unsigned char> first = {0xB0, 0x60, 0x1F};
  midiOut->sendMessage(&first);
  std::vector<unsigned char> second = {0xB0, 0x61, 0x00};
  midiOut->sendMessage(&second);
}

} // namespace stk
