// The display ring emptied by a consumer that writes the messages itself, as a JACK process
// callback does: in order, and what one period cannot take stays first for the next.
#include "DisplayOutbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Posts messages 0 .. count-1, each of `size` bytes all equal to its number.
void postNumbered(stk::DisplayOutbox& outbox, int count, size_t size) {
  for (int i = 0; i < count; i++) {
    const Bytes bytes(size, static_cast<unsigned char>(i));
    outbox.post(bytes.data(), bytes.size());
  }
}

TEST(DisplayOutboxWriter, PeriodsOfLimitedRoomPassEveryMessageOnceInOrder) {
  stk::DisplayOutbox outbox;
  postNumbered(outbox, 200, 11);
  std::vector<Bytes> written;
  int periods = 0;
  while (!outbox.empty()) {
    size_t room = 100; // bytes a period's buffer takes: nine messages of 11
    const size_t count = outbox.drainWith([&](const unsigned char* bytes, size_t size) {
      if (size > room) return false;
      room -= size;
      written.emplace_back(bytes, bytes + size);
      return true;
    });
    EXPECT_LE(count, 9u);
    ++periods;
  }
  EXPECT_EQ(periods, 23); // 200 / 9, rounded up
  ASSERT_EQ(written.size(), 200u);
  for (int i = 0; i < 200; i++)
    EXPECT_EQ(written[size_t(i)], Bytes(11, static_cast<unsigned char>(i))) << "message " << i;
  EXPECT_EQ(outbox.dropped(), 0u);
}

TEST(DisplayOutboxWriter, ARefusedMessageIsOfferedAgainFirst) {
  stk::DisplayOutbox outbox;
  postNumbered(outbox, 3, 4);
  std::vector<int> seen;
  outbox.drainWith([&](const unsigned char* bytes, size_t) {
    seen.push_back(bytes[0]);
    return bytes[0] != 1; // refuses message 1
  });
  outbox.drainWith([&](const unsigned char* bytes, size_t) {
    seen.push_back(bytes[0]);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 1, 2}));
  EXPECT_TRUE(outbox.empty());
}

TEST(DisplayOutboxWriter, AFullRingCountsWhatItCannotTake) {
  stk::DisplayOutbox outbox;
  postNumbered(outbox, int(stk::DisplayOutbox::kCapacity) + 5, 3);
  EXPECT_EQ(outbox.dropped(), 5u);
  size_t count = outbox.drainWith([](const unsigned char*, size_t) { return true; });
  EXPECT_EQ(count, stk::DisplayOutbox::kCapacity);
}

} // namespace
