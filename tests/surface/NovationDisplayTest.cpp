// The display driver's messages, byte for byte, as the controller receives them.
#include "NovationDisplay.h"
#include "support/RecordingMidiOut.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Message = RecordingMidiOut::Message;

const Message kTemplateChange = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22,
                                 0x03, 0x01, 0x00, 0x01, 0x01, 0xF7};
const Message kClearLeft = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22,
                            0x03, 0x01, 0x00, 0x02, 0x02, 0x04, 0xF7};
const Message kClearRight = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22,
                             0x03, 0x01, 0x00, 0x02, 0x02, 0x05, 0xF7};
const Message kLightsSelect = {0xB0, 0x60, 0x1F};
const Message kLightsOn = {0xB0, 0x61, 0x07};
const Message kLightsOff = {0xB0, 0x61, 0x00};

class NovationDisplayTest : public testing::Test {
protected:
  NovationDisplayTest() : display(&out) { out.clear(); }
  RecordingMidiOut out;
  stk::NovationDisplay display;
};

TEST(NovationDisplayStart, ConstructionSelectsTemplateClearsBothLcdsAndLightsUp) {
  RecordingMidiOut out;
  stk::NovationDisplay display(&out);
  std::vector<Message> expected = {kTemplateChange, kClearLeft, kClearRight, kLightsSelect,
                                   kLightsOn};
  EXPECT_EQ(out.messages(), expected);
}

TEST_F(NovationDisplayTest, ResetSendsWhatConstructionSends) {
  display.reset();
  std::vector<Message> expected = {kTemplateChange, kClearLeft, kClearRight, kLightsSelect,
                                   kLightsOn};
  EXPECT_EQ(out.messages(), expected);
}

TEST_F(NovationDisplayTest, SingleMessageRequests) {
  display.changeToReasonAutomapTemplate();
  display.clearLeftLCD();
  display.clearRightLCD();
  display.lcdClear(0x7F);
  std::vector<Message> expected = {
      kTemplateChange,
      kClearLeft,
      kClearRight,
      {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x22, 0x03, 0x01, 0x00, 0x02, 0x02, 0x7F, 0xF7}};
  EXPECT_EQ(out.messages(), expected);
}

TEST_F(NovationDisplayTest, LightsOffThenOn) {
  display.AllLightsOff();
  display.AllLightsOn();
  std::vector<Message> expected = {kLightsSelect, kLightsOff, kLightsSelect, kLightsOn};
  EXPECT_EQ(out.messages(), expected);
}

TEST_F(NovationDisplayTest, TextPutsColumnBeforeRow) {
  display.lcdTextPos(4, 2, "*");
  ASSERT_EQ(out.messages().size(), 1u);
  Message expected = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20, 0x02, 0x01,
                      0x00, 0x02, 0x01, 0x02, 0x04, 0x04, 0x2A, 0xF7};
  EXPECT_EQ(out.messages()[0], expected);
}

TEST_F(NovationDisplayTest, EmptyTextSendsHeaderPositionAndEnd) {
  display.lcdText(1, "");
  ASSERT_EQ(out.messages().size(), 1u);
  Message expected = {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20, 0x02,
                      0x01, 0x00, 0x02, 0x01, 0x00, 0x01, 0x04, 0xF7};
  EXPECT_EQ(out.messages()[0], expected);
}

TEST_F(NovationDisplayTest, TextIsCutAfterFortyCharacters) {
  std::string fifty;
  for (int i = 0; i < 50; ++i)
    fifty += static_cast<char>('A' + i % 26);
  display.lcdTextPos(3, 9, fifty.c_str());
  display.lcdTextPos(3, 9, fifty.substr(0, 40).c_str());
  ASSERT_EQ(out.messages().size(), 2u);
  const Message& cut = out.messages()[0];
  ASSERT_EQ(cut.size(), 56u);
  EXPECT_EQ(std::string(cut.begin() + 15, cut.end() - 1), fifty.substr(0, 40));
  EXPECT_EQ(cut.back(), 0xF7);
  EXPECT_EQ(out.messages()[1], cut); // exactly 40 characters are not cut
}

TEST_F(NovationDisplayTest, TextCharactersGoOutUnchanged) {
  display.lcdTextPos(1, 10, "OB~ %-");
  ASSERT_EQ(out.messages().size(), 1u);
  const Message& m = out.messages()[0];
  EXPECT_EQ(Message(m.begin() + 12, m.end()),
            (Message{0x0A, 0x01, 0x04, 'O', 'B', '~', ' ', '%', '-', 0xF7}));
}

TEST_F(NovationDisplayTest, ClearTextUsesTheRowAsSelector) {
  display.lcdClearText(5, "Hi");
  std::vector<Message> expected = {kClearRight,
                                   {0xF0, 0x00, 0x20, 0x29, 0x03, 0x03, 0x20, 0x02, 0x01, 0x00,
                                    0x02, 0x01, 0x00, 0x05, 0x04, 'H', 'i', 0xF7}};
  EXPECT_EQ(out.messages(), expected);
}

// A note that belongs to no drum asks for column -1; no status byte may enter a message.
TEST_F(NovationDisplayTest, PositionsOutsideDataBytesAreNotSent) {
  display.lcdTextPos(4, -1, " ");
  display.lcdTextPos(4, 128, "*");
  display.lcdTextPos(-1, 0, "*");
  display.lcdTextPos(256, 0, "*");
  display.lcdText(200, "x");
  display.lcdClear(-1);
  display.lcdClear(0x84);
  EXPECT_TRUE(out.messages().empty());

  display.lcdTextPos(127, 127, "");
  ASSERT_EQ(out.messages().size(), 1u);
  EXPECT_EQ(out.messages()[0][12], 0x7F);
  EXPECT_EQ(out.messages()[0][13], 0x7F);
}

} // namespace
