// Conversion of MIDI bytes into queued messages, and the control port's channel mark.
#include "tambrel.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

stk::Skini::Message convert(Bytes bytes) {
  return midiCallback(0.25, &bytes, nullptr);
}

// type, channel, first int, second int, first float, second float; time is always 0.
void expectMessage(const stk::Skini::Message& m, long type, long channel, long first, long second,
                   double firstFloat, double secondFloat) {
  EXPECT_EQ(m.type, type);
  EXPECT_EQ(m.channel, channel);
  EXPECT_EQ(m.time, 0.0);
  ASSERT_EQ(m.intValues.size(), 2u);
  ASSERT_EQ(m.floatValues.size(), 2u);
  EXPECT_EQ(m.intValues[0], first);
  EXPECT_EQ(m.intValues[1], second);
  EXPECT_EQ(m.floatValues[0], firstFloat);
  EXPECT_EQ(m.floatValues[1], secondFloat);
  EXPECT_TRUE(m.remainder.empty());
}

TEST(MidiCallback, ChannelMessagesOfThreeBytesCarryBothDataBytes) {
  expectMessage(convert({0x99, 0x24, 0x64}), 144, 9, 36, 100, 36.0, 100.0);
  expectMessage(convert({0x80, 0x26, 0x40}), 128, 0, 38, 64, 38.0, 64.0);
  expectMessage(convert({0xA7, 0x7F, 0x01}), 160, 7, 127, 1, 127.0, 1.0);
  expectMessage(convert({0xBF, 0x15, 0x40}), 176, 15, 21, 64, 21.0, 64.0);
}

TEST(MidiCallback, BytesAfterTheThirdAreIgnored) {
  expectMessage(convert({0x99, 0x24, 0x64, 0x55}), 144, 9, 36, 100, 36.0, 100.0);
}

TEST(MidiCallback, PitchBendJoinsItsDataBytesIntoOneValue) {
  expectMessage(convert({0xE3, 0x00, 0x40}), 224, 3, 8192, 0, 8192.0, 0.0);
  expectMessage(convert({0xE0, 0x7F, 0x7F}), 224, 0, 16383, 0, 16383.0, 0.0);
  expectMessage(convert({0xEF, 0x01, 0x00}), 224, 15, 1, 0, 1.0, 0.0);
}

TEST(MidiCallback, ProgramChangeAndChannelPressureKeepOnlyTheirFirstDataByte) {
  expectMessage(convert({0xC5, 0x07}), 192, 5, 7, 0, 7.0, 0.0);
  // A stray third byte does not become a second value.
  expectMessage(convert({0xC5, 0x07, 0x33}), 192, 5, 7, 0, 7.0, 0.0);
  expectMessage(convert({0xDA, 0x50, 0x10}), 208, 10, 80, 0, 80.0, 0.0);
}

TEST(MidiCallback, TwoByteChannelMessagesLeaveTheSecondValueAtZero) {
  expectMessage(convert({0x92, 0x24}), 144, 2, 36, 0, 36.0, 0.0);
  expectMessage(convert({0xE1, 0x10}), 224, 1, 16, 0, 16.0, 0.0);
}

TEST(MidiCallback, ShortAndSystemMessagesGiveTypeZero) {
  expectMessage(convert({}), 0, 0, 0, 0, 0.0, 0.0);
  expectMessage(convert({0x99}), 0, 0, 0, 0, 0.0, 0.0);
  expectMessage(convert({0xFA}), 0, 0, 0, 0, 0.0, 0.0);
  expectMessage(convert({0xF2, 0x10, 0x20}), 0, 0, 0, 0, 0.0, 0.0); // song position
  expectMessage(convert({0xF0, 0x00, 0x20, 0xF7}), 0, 0, 0, 0, 0.0, 0.0);
  // A data byte where a status belongs is not rejected: it converts as the table says.
  expectMessage(convert({0x40, 0x24, 0x64}), 64, 0, 36, 100, 36.0, 100.0);
}

TEST(PortCallbacks, ControlPortMarksTheChannelAndNotePortDoesNot) {
  TickData data;
  Bytes noteOn = {0x99, 0x24, 0x64}, start = {0xFA}, cc = {0xBF, 0x15, 0x40};
  notePortMidiCallback(0.0, &noteOn, &data);
  ctlPortMidiCallback(0.0, &noteOn, &data);
  ctlPortMidiCallback(0.0, &start, &data);
  notePortMidiCallback(0.0, &start, &data);
  ctlPortMidiCallback(0.0, &cc, &data);

  ASSERT_EQ(data.messageQueue.size(), 5u);
  const int expected[5][4] = {
      {144, 9, 36, 100}, {144, 25, 36, 100}, {0, 16, 0, 0}, {0, 0, 0, 0}, {176, 31, 21, 64}};
  for (const auto& e : expected) {
    QueuedMessage m;
    ASSERT_TRUE(data.messageQueue.pop(m));
    EXPECT_EQ((std::vector<int>{m.type, m.channel, m.data1, m.data2}),
              (std::vector<int>{e[0], e[1], e[2], e[3]}));
  }
  EXPECT_TRUE(data.messageQueue.empty());
  EXPECT_FALSE(data.messagePending);
}

// The JACK client converts its events from the raw bytes: for every channel message of either
// port it must queue what the MIDI library's callbacks queue for the same bytes.
TEST(RawConversion, AgreesWithThePortCallbacksForEveryChannelMessage) {
  for (int status = 0x80; status <= 0xEF; status++) {
    for (const Bytes& data : {Bytes{0x24, 0x64}, Bytes{0x7F, 0x00}, Bytes{0x00, 0x7F}}) {
      for (size_t size : {2u, 3u}) {
        Bytes bytes = {static_cast<unsigned char>(status), data[0], data[1]};
        bytes.resize(size);
        for (bool controlPort : {false, true}) {
          TickData data;
          (controlPort ? ctlPortMidiCallback : notePortMidiCallback)(0.0, &bytes, &data);
          QueuedMessage queued, raw;
          ASSERT_TRUE(data.messageQueue.pop(queued));
          ASSERT_TRUE(toQueuedMessage(bytes.data(), bytes.size(), controlPort, raw));
          EXPECT_EQ((std::vector<int>{raw.type, raw.channel, raw.data1, raw.data2}),
                    (std::vector<int>{queued.type, queued.channel, queued.data1, queued.data2}))
              << "status " << status << ", " << size << " bytes";
        }
      }
    }
  }
}

TEST(RawConversion, RefusesSystemMessagesShortMessagesAndDataBytes) {
  QueuedMessage message;
  for (const Bytes& bytes : {Bytes{0x99}, Bytes{0xFA}, Bytes{0xF2, 0x10, 0x20},
                             Bytes{0xF0, 0x00, 0x20, 0xF7}, Bytes{0x40, 0x24, 0x64}})
    EXPECT_FALSE(toQueuedMessage(bytes.data(), bytes.size(), false, message))
        << int(bytes[0]) << ", " << bytes.size() << " bytes";
}

} // namespace
