// Stepped noise: table contents after a seed, hold periods, rate conversion, the block tick.
#include "Fizzmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>

using stk::Fizzmap;
using stk::StkFloat;

namespace {

struct SampleRate44100 : ::testing::Test {
  void SetUp() override { stk::Stk::setSampleRate(44100.0); }
  void TearDown() override { stk::Stk::setSampleRate(44100.0); }
};

using FizzmapTest = SampleRate44100;

} // namespace

TEST_F(FizzmapTest, TableHoldsTheRandSequenceOfTheSeed) {
  auto unipolar = std::make_unique<Fizzmap>(1, 1234);
  auto bipolar = std::make_unique<Fizzmap>(0, 1234);
  srand(1234);
  for (unsigned i = 0; i < Fizzmap::TABLE_LENGTH; i++) {
    int r = rand();
    ASSERT_EQ(unipolar->table[i], r / 2147483647.0) << i;
    ASSERT_EQ(bipolar->table[i], 2.0 * r * std::ldexp(1.0, -31) - 1) << i;
    ASSERT_GE(bipolar->table[i], -1.0);
    ASSERT_LT(bipolar->table[i], 1.0);
  }
}

TEST_F(FizzmapTest, ClockSeededGeneratorsOfOneSecondAreIdentical) {
  for (int attempt = 0; attempt < 3; attempt++) {
    time_t before = time(NULL);
    auto a = std::make_unique<Fizzmap>(1, 0);
    auto b = std::make_unique<Fizzmap>(1, 0);
    if (time(NULL) != before) continue; // the clock ticked in between
    for (unsigned i = 0; i < Fizzmap::TABLE_LENGTH; i++)
      ASSERT_EQ(a->table[i], b->table[i]);
    return;
  }
  FAIL() << "clock kept changing";
}

TEST_F(FizzmapTest, NewGeneratorHoldsEntryZeroFor1470ThenEach1471) {
  auto noise = std::make_unique<Fizzmap>(1, 99);
  EXPECT_EQ(noise->period, 1470u);
  for (int i = 0; i < 1470; i++)
    ASSERT_EQ(noise->tick(), noise->table[0]) << i;
  for (int i = 0; i < 1471; i++)
    ASSERT_EQ(noise->tick(), noise->table[1]) << i;
  EXPECT_EQ(noise->tick(), noise->table[2]);
  EXPECT_EQ(noise->lastOut(), noise->table[2]);
}

TEST_F(FizzmapTest, IndexWrapsAfterTheLastEntry) {
  auto noise = std::make_unique<Fizzmap>(1, 5);
  noise->setFrequency(0); // period 2: three samples per entry
  noise->tick();
  noise->tick();
  for (unsigned step = 1; step < Fizzmap::TABLE_LENGTH; step++)
    for (int i = 0; i < 3; i++)
      noise->tick();
  EXPECT_EQ(noise->index, Fizzmap::TABLE_LENGTH - 1);
  for (int i = 0; i < 3; i++)
    noise->tick();
  EXPECT_EQ(noise->index, 0u);
  EXPECT_EQ(noise->lastOut(), noise->table[0]);
}

TEST_F(FizzmapTest, FrequencyToPeriod) {
  auto noise = std::make_unique<Fizzmap>(1, 1);
  const struct {
    StkFloat hz;
    uint32_t period;
  } cases[] = {{105.0, 420},
               {105.9, 420},
               {0.5, 2},
               {0.0, 2},
               {1.0, 44100},
               {30.0, 1470},
               {14700.0, 3},
               {22050.0, 2},
               {44100, 2},
               {1e6, 2}, // fastest: new entry every 3
               {-105.0, 420},
               {-0.5, 2}, // negative: its magnitude
               {1e300, 2},
               {-1e300, 2},
               {3e9, 2}, // beyond the 32-bit range
               {std::numeric_limits<StkFloat>::infinity(), 2},
               {std::nan(""), 2}};
  for (const auto& c : cases) {
    noise->period = 777;
    noise->setFrequency(c.hz);
    EXPECT_EQ(noise->period, c.period) << c.hz;
  }
}

TEST_F(FizzmapTest, SetFrequencyAndSetSeedLeaveTablePositionAlone) {
  auto noise = std::make_unique<Fizzmap>(1, 3);
  auto copy = std::make_unique<Fizzmap>(1, 3);
  noise->setFrequency(11025);
  for (int i = 0; i < 50; i++)
    noise->tick();
  uint32_t index = noise->index, counter = noise->counter;
  noise->setSeed(42);
  noise->setSeed(0);
  noise->setFrequency(300);
  EXPECT_EQ(noise->index, index);
  EXPECT_EQ(noise->counter, counter);
  for (unsigned i = 0; i < Fizzmap::TABLE_LENGTH; i++)
    ASSERT_EQ(noise->table[i], copy->table[i]);
}

TEST_F(FizzmapTest, LowSampleRateGivesTheShortestPeriod) {
  stk::Stk::setSampleRate(50.0);
  auto noise = std::make_unique<Fizzmap>(1, 1);
  EXPECT_EQ(noise->period, 2u);
  stk::Stk::setSampleRate(60.0);
  auto sixty = std::make_unique<Fizzmap>(1, 1);
  EXPECT_EQ(sixty->period, 2u);
  stk::Stk::setSampleRate(90.0);
  auto ninety = std::make_unique<Fizzmap>(1, 1);
  EXPECT_EQ(ninety->period, 3u);
}

TEST_F(FizzmapTest, BlockTickFillsOneChannelWithFreshRandValues) {
  auto noise = std::make_unique<Fizzmap>(1, 8);
  for (int i = 0; i < 10; i++)
    noise->tick();
  uint32_t index = noise->index, counter = noise->counter;
  stk::StkFrames frames(3, 2);
  for (unsigned i = 0; i < 3; i++)
    frames(i, 0) = frames(i, 1) = 5.0;
  noise->setSeed(77);
  noise->tick(frames, 1);
  srand(77);
  for (unsigned i = 0; i < 3; i++) {
    EXPECT_EQ(frames(i, 0), 5.0);
    EXPECT_EQ(frames(i, 1), rand() / 1073741824.0 - 1.0);
  }
  EXPECT_EQ(noise->lastOut(), frames(2, 1));
  EXPECT_EQ(noise->index, index);
  EXPECT_EQ(noise->counter, counter);
}

TEST_F(FizzmapTest, BlockTickRefusesAChannelOutsideTheBuffer) {
  auto noise = std::make_unique<Fizzmap>(1, 8);
  stk::StkFrames frames(4, 2);
  for (unsigned i = 0; i < 4; i++)
    frames(i, 0) = frames(i, 1) = 5.0;
  stk::Stk::printErrors(false); // the library's default is to print before throwing
  try {
    noise->tick(frames, 2);
    ADD_FAILURE() << "no error reported";
  } catch (stk::StkError& error) {
    EXPECT_EQ(error.getType(), stk::StkError::FUNCTION_ARGUMENT);
    EXPECT_EQ(error.getMessage(),
              "Noise::tick(): channel and StkFrames arguments are incompatible!");
  }
  stk::Stk::printErrors(true);
  for (unsigned i = 0; i < 4; i++)
    EXPECT_EQ(frames(i, 0) + frames(i, 1), 10.0);
}
