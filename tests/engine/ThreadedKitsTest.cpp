// Kits built, played and destroyed on four threads at once, each at its own rate: every thread
// hears what the same kit plays alone. Labelled `threaded` for the ThreadSanitizer stage.
#include "KitScript.h"
#include "ZorvDrumKit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

TEST(ThreadedKits, FourThreadsAtFourRatesEachPlayAsAlone) {
  const double rates[4] = {44100.0, 48000.0, 88200.0, 96000.0};
  const unsigned int seeds[4] = {21, 22, 23, 21};
  constexpr int PASSES = 2; // a kit made and unmade again, beside the others
  std::vector<float> heard[4][PASSES];
  // The threads come first, so that the oscillators' shared table is built under the race.
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&, t] {
      for (int pass = 0; pass < PASSES; pass++) {
        stk::ZorvDrumKit kit(seeds[t], rates[t]);
        heard[t][pass] = KitScript(kit).playAll();
      }
    });
  for (std::thread& thread : threads)
    thread.join();
  for (int t = 0; t < 4; t++) {
    stk::ZorvDrumKit kit(seeds[t], rates[t]);
    const std::vector<float> alone = KitScript(kit).playAll();
    for (int pass = 0; pass < PASSES; pass++) {
      ASSERT_EQ(heard[t][pass].size(), alone.size());
      EXPECT_EQ(std::memcmp(heard[t][pass].data(), alone.data(), alone.size() * sizeof(float)), 0)
          << "thread " << t << ", pass " << pass;
    }
  }
  // Same seed, other rate: different samples, so the comparison above could fail.
  EXPECT_NE(heard[0][0], heard[3][0]);
}
