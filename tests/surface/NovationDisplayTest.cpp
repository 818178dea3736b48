// The display driver's messages, byte for byte, as the controller receives them.
#include "NovationDisplay.h"
#include "support/RecordingMidiOut.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string hex(RecordingMidiOut& out) {
  std::string lines;
  for (const RecordingMidiOut::Message& m : out.messages()) {
    for (unsigned char byte : m) {
      char text[4];
      std::snprintf(text, sizeof text, "%02X ", byte);
      lines += text;
    }
    lines.back() = '\n';
  }
  out.clear();
  return lines;
}

const char kStart[] = "F0 00 20 29 03 03 22 03 01 00 01 01 F7\n"
                      "F0 00 20 29 03 03 22 03 01 00 02 02 04 F7\n"
                      "F0 00 20 29 03 03 22 03 01 00 02 02 05 F7\nB0 60 1F\nB0 61 07\n";

TEST(NovationDisplay, SendsEveryMessageByteForByte) {
  RecordingMidiOut out;
  stk::NovationDisplay display(&out);
  EXPECT_EQ(hex(out), kStart);
  display.reset();
  EXPECT_EQ(hex(out), kStart);
  display.lcdTextPos(4, 2, "*");
  display.lcdText(1, "");
  display.lcdClearText(5, "~a");
  display.clearLeftLCD();
  display.AllLightsOff();
  display.changeToReasonAutomapTemplate();
  EXPECT_EQ(hex(out), "F0 00 20 29 03 03 20 02 01 00 02 01 02 04 04 2A F7\n"
                      "F0 00 20 29 03 03 20 02 01 00 02 01 00 01 04 F7\n"
                      "F0 00 20 29 03 03 22 03 01 00 02 02 05 F7\n"
                      "F0 00 20 29 03 03 20 02 01 00 02 01 00 05 04 7E 61 F7\n"
                      "F0 00 20 29 03 03 22 03 01 00 02 02 04 F7\nB0 60 1F\nB0 61 00\n"
                      "F0 00 20 29 03 03 22 03 01 00 01 01 F7\n");

  const std::string fifty = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmn";
  display.lcdTextPos(3, 9, fifty.c_str());
  const RecordingMidiOut::Message& cut = out.messages().at(0);
  ASSERT_EQ(cut.size(), 56u);
  EXPECT_EQ(std::string(cut.begin() + 15, cut.end() - 1), fifty.substr(0, 40));
  out.clear();

  // No status byte inside a message: a note of no drum asks for column -1.
  display.lcdTextPos(4, -1, " ");
  display.lcdTextPos(128, 0, "*");
  display.lcdClear(0x84);
  display.lcdTextPos(127, 127, "");
  EXPECT_EQ(hex(out), "F0 00 20 29 03 03 20 02 01 00 02 01 7F 7F 04 F7\n");
}

} // namespace
