// The LCD picture built from what the display driver sends, and its terminal redraw.
#include "LcdMirror.h"
#include "LcdTerminal.h"
#include "NovationDisplay.h"
#include "support/RecordingMidiOut.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// A display on a recording output whose messages are handed to a mirror, as the sender does.
class Mirrored : public ::testing::Test {
protected:
  void feed() {
    for (const RecordingMidiOut::Message& message : out.messages())
      mirror.accept(message.data(), message.size());
    out.clear();
  }
  // A row padded as the mirror keeps it.
  static std::string row(const std::string& text) {
    return text + std::string(LcdMirror::kColumns - text.size(), ' ');
  }

  RecordingMidiOut out;
  stk::NovationDisplay display{&out};
  LcdMirror mirror;
};

TEST_F(Mirrored, TextsLandAtTheirRowAndColumnAndClearsBlankOneLcd) {
  feed(); // the greeting: template change, two clears, lights
  const LcdMirror::Rows blank = {row(""), row(""), row(""), row("")};
  EXPECT_EQ(mirror.rows(), blank);

  display.lcdTextPos(1, 0, "0");
  display.lcdTextPos(1, 1, "NLvl   ");
  display.lcdTextPos(2, 5, "09");
  display.lcdTextPos(3, 9, "3OLvl");
  display.lcdTextPos(4, 2, "*");
  feed();
  EXPECT_EQ(mirror.rows(),
            (LcdMirror::Rows{row("0NLvl"), row("     09"), row("         3OLvl"), row("  *")}));

  display.lcdTextPos(4, 2, " "); // a note-off takes its mark away
  display.clearLeftLCD();
  feed();
  EXPECT_EQ(mirror.rows(), (LcdMirror::Rows{row(""), row(""), row("         3OLvl"), row("")}));
  display.clearRightLCD();
  feed();
  EXPECT_EQ(mirror.rows(), blank);
}

TEST_F(Mirrored, LongTextsStopAtFortyCharactersAndAtTheRowsEnd) {
  feed();
  const std::string fifty(50, 'x');
  display.lcdTextPos(1, 0, fifty.c_str());
  display.lcdTextPos(2, 60, "abcdefghijklmnop"); // 12 of 16 fit before column 72
  display.lcdTextPos(3, 100, "far right");       // past the row: nothing to show
  feed();
  EXPECT_EQ(mirror.rows()[0], row(std::string(40, 'x')));
  EXPECT_EQ(mirror.rows()[1], std::string(60, ' ') + "abcdefghijkl");
  EXPECT_EQ(mirror.rows()[2], row(""));
}

TEST_F(Mirrored, OnlyTextsAndClearsChangeThePicture) {
  feed();
  const uint64_t before = mirror.changes();
  display.AllLightsOff();
  display.changeToReasonAutomapTemplate();
  display.lcdClear(7);           // no LCD of this controller
  display.lcdTextPos(5, 0, "x"); // row 5 does not exist
  display.lcdTextPos(0, 0, "x");
  feed();
  // Cut short or without its end byte, a text is not applied.
  const unsigned char cut[] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20,
                               0x02, 0x01, 0x00, 0x02, 0x01, 0x00, 0x01};
  const unsigned char open[] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20, 0x02, 0x01,
                                0x00, 0x02, 0x01, 0x00, 0x01, 0x04, 'h',  'i'};
  mirror.accept(cut, sizeof cut);
  mirror.accept(open, sizeof open);
  mirror.accept(nullptr, 0);
  EXPECT_EQ(mirror.changes(), before);
  EXPECT_EQ(mirror.rows()[0], row(""));

  display.lcdTextPos(1, 0, "hi");
  feed();
  EXPECT_EQ(mirror.changes(), before + 1);
}

TEST(LcdTerminal, RedrawsInPlaceAtMostThirtyTimesASecond) {
  LcdMirror mirror;
  char* buffer = nullptr;
  size_t size = 0;
  FILE* screen = open_memstream(&buffer, &size);
  ASSERT_NE(screen, nullptr);
  LcdTerminal view(mirror, screen);
  view.start();
  // A text message every millisecond for half a second: 500 changes.
  const unsigned char text[] = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20, 0x02, 0x01,
                                0x00, 0x02, 0x01, 0x03, 0x04, 0x04, '*',  0xF7};
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < 500; i++) {
    mirror.accept(text, sizeof text);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  view.stop();
  const int redraws = view.redraws();
  std::fclose(screen);
  const std::string written(buffer, size);
  std::free(buffer);

  // The start and the stop draw once each; in between at most 30 a second, and at least one.
  EXPECT_LE(redraws, 2 + 1 + static_cast<int>(seconds * LcdTerminal::kFramesPerSecond));
  EXPECT_GE(redraws, 3);
  // The screen was cleared, scrolling kept below the picture, and given back at the end.
  EXPECT_EQ(written.rfind("\x1b[2J\x1b[8;r\x1b[8;1H", 0), 0u);
  EXPECT_NE(written.find("\x1b[r"), std::string::npos);
  // The last picture shows the mark at row 4, column 3 (line 6 of the screen).
  const std::string last = LcdTerminal::picture(mirror.rows());
  EXPECT_EQ(written.substr(written.rfind("\x1b"
                                         "7"),
                           last.size()),
            last);
  EXPECT_NE(last.find("\x1b[6;1H|   *   "), std::string::npos);
}

} // namespace
