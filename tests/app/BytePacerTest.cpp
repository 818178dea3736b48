// The display's pacing towards a hardware port: at most a MIDI cable's 3,125 bytes a second.
#include "BytePacer.h"

#include <gtest/gtest.h>

namespace {

// Bytes let through in `seconds` of periods of `period` frames at 44.1 kHz, offered as many
// `size`-byte messages as the pacer allows.
long bytesThrough(double seconds, unsigned period, size_t size) {
  BytePacer pacer;
  pacer.limit(BytePacer::kCableBytesPerSecond, 44100, 64);
  long sent = 0;
  const long periods = static_cast<long>(seconds * 44100 / period);
  for (long i = 0; i < periods; i++) {
    pacer.advance(period);
    while (pacer.allows(size)) {
      pacer.spend(size);
      sent += static_cast<long>(size);
    }
  }
  return sent;
}

TEST(BytePacer, HoldsAStreamToCableSpeedWhateverThePeriod) {
  // Ten seconds: 31,250 bytes, and at most the saved-up burst of 64 bytes more.
  for (unsigned period : {64u, 256u, 1024u})
    for (size_t size : {3u, 20u, 56u}) {
      const long sent = bytesThrough(10.0, period, size);
      EXPECT_LE(sent, 31250 + 64) << "period " << period << ", messages of " << size;
      EXPECT_GE(sent, 31250 - 64 - 56) << "period " << period << ", messages of " << size;
    }
}

TEST(BytePacer, AfterAPauseTheSavedBurstAndOnePeriodsShareGoAtOnce) {
  BytePacer pacer;
  pacer.limit(BytePacer::kCableBytesPerSecond, 44100, 64);
  for (int i = 0; i < 1000; i++)
    pacer.advance(1024); // 64 bytes saved, then this period's 1024 / 44100 * 3125 = 72.56
  for (int i = 0; i < 2; i++) {
    ASSERT_TRUE(pacer.allows(56));
    pacer.spend(56);
  }
  EXPECT_FALSE(pacer.allows(56));
  // 24.56 bytes are left; 31.44 more take 443.7 frames at 44.1 kHz: not after 440, after 450.
  pacer.advance(440);
  EXPECT_FALSE(pacer.allows(56));
  pacer.advance(10);
  EXPECT_TRUE(pacer.allows(56));
}

TEST(BytePacer, WithoutALimitEverythingGoes) {
  BytePacer pacer;
  EXPECT_FALSE(pacer.limited());
  for (int i = 0; i < 100000; i++) {
    ASSERT_TRUE(pacer.allows(63));
    pacer.spend(63);
  }
}

} // namespace
