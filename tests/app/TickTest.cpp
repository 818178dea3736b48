// The audio callback: frames rendered, when queued messages are applied, silence once done.
#include "AppRig.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

class Tick : public ::testing::Test {
protected:
  // One callback of `frames` frames into a buffer that starts out filled with 7.0.
  std::vector<double> callback(unsigned int frames) {
    std::vector<double> buffer(2 * frames, 7.0);
    EXPECT_EQ(tick(buffer.data(), nullptr, frames, 0.0, 0, &rig.data), 0);
    return buffer;
  }
  // Both channels of every frame carry the next reference sample.
  void expectReferenceFrames(const std::vector<double>& buffer) {
    for (size_t i = 0; i < buffer.size() / 2; i++) {
      const double expected = rig.reference->tick();
      ASSERT_EQ(buffer[2 * i], expected) << "frame " << i;
      ASSERT_EQ(buffer[2 * i + 1], expected) << "frame " << i;
    }
  }
  AppRig rig;
};

TEST_F(Tick, EveryFrameIsOneKitSampleInBothChannels) {
  rig.kit->noteOn(36, 0.5);
  rig.reference->noteOn(36, 0.5);
  // Buffer sizes around the 64-frame look at the queue; each consumes exactly its frames.
  for (unsigned int frames : {40u, 1u, 64u, 63u, 65u, 200u, 512u}) {
    const std::vector<double> buffer = callback(frames);
    ASSERT_EQ(buffer.size(), 2 * frames);
    expectReferenceFrames(buffer);
  }
  EXPECT_NE(rig.kit->tick(), 0.0); // the drum did sound throughout
}

TEST_F(Tick, AllQueuedMessagesAreAppliedBeforeTheFirstFrame) {
  rig.queue(Port::Note, {0x99, 0x24, 0x64});
  rig.queue(Port::Note, {0x99, 0x26, 0x40});
  rig.queue(Port::Note, {0x89, 0x24, 0x00});
  rig.queue(Port::Note, {0x99, 0x2A, 0x7F});
  rig.reference->noteOn(36, 0.78125);
  rig.reference->noteOn(38, 0.5);
  rig.reference->noteOff(36);
  rig.reference->noteOn(42, 0.9921875);

  expectReferenceFrames(callback(1));
  EXPECT_EQ(rig.texts(), (Strings{"4,0:*", "4,1:*", "4,0: ", "4,3:*"}));
  EXPECT_TRUE(rig.data.messageQueue.empty());
  expectReferenceFrames(callback(100));
}

TEST_F(Tick, MessagesQueuedBetweenCallbacksApplyAtTheNextStart) {
  expectReferenceFrames(callback(10)); // the empty queue is not looked at again for 64 frames,
  rig.queue(Port::Note, {0x99, 0x24, 0x64}); // but every callback begins with a look
  rig.reference->noteOn(36, 0.78125);
  expectReferenceFrames(callback(100));
  EXPECT_EQ(rig.texts(), Strings{"4,0:*"});
}

TEST_F(Tick, MessageDueAtTheBufferEndIsAppliedFirstInTheNext) {
  rig.data.pendingMessage.type = 144;
  rig.data.pendingMessage.channel = 9;
  rig.data.pendingMessage.data1 = 38;
  rig.data.pendingMessage.data2 = 64;
  rig.data.messagePending = true;
  rig.data.framesToNextMessage = 5;

  expectReferenceFrames(callback(5));
  EXPECT_TRUE(rig.data.messagePending);
  EXPECT_TRUE(rig.texts().empty());

  rig.reference->noteOn(38, 0.5);
  expectReferenceFrames(callback(3));
  EXPECT_FALSE(rig.data.messagePending);
  EXPECT_EQ(rig.texts(), Strings{"4,1:*"});
}

TEST_F(Tick, DroppedMessageCostsSixtyFourFrames) {
  rig.queue(Port::Note, {0xFA}); // type 0
  rig.queue(Port::Note, {0x99, 0x24, 0x64});
  const std::vector<double> buffer = callback(100);
  for (int i = 0; i < 64; i++) {
    ASSERT_EQ(buffer[2 * i], 0.0) << "frame " << i;
    rig.reference->tick();
  }
  rig.reference->noteOn(36, 0.78125);
  expectReferenceFrames(std::vector<double>(buffer.begin() + 128, buffer.end()));
  EXPECT_EQ(rig.texts(), Strings{"4,0:*"});
}

TEST_F(Tick, OnceDoneTheRestOfTheBufferIsSilence) {
  rig.kit->noteOn(36, 1.0);
  rig.queue(Port::Note, {0x99, 0x26, 0x64});
  done = true;
  EXPECT_EQ(callback(50), std::vector<double>(100, 0.0));
  EXPECT_EQ(rig.data.messageQueue.size(), 1u); // nothing more is taken or applied
  EXPECT_TRUE(rig.texts().empty());
}

TEST_F(Tick, WithOutputDisabledTheBufferIsNotTouched) {
  rig.data.outputEnabled = false;
  rig.kit->noteOn(36, 1.0);
  EXPECT_EQ(callback(50), std::vector<double>(100, 7.0));
  done = true;
  EXPECT_EQ(callback(50), std::vector<double>(100, 7.0));
}

} // namespace
