// Envelope: stage timing with the constructor's steps, release, re-trigger, no overshoot.
#include "Glimber.h"

#include <gtest/gtest.h>

#include <random>

TEST(Glimber, NewEnvelopeIsIdleAndSilent) {
  Glimber env(44100.0f);
  for (int i = 0; i < 100; i++)
    EXPECT_EQ(env.tick(), 0.0f);
  EXPECT_EQ(env.state, Glimber::IDLE);
}

TEST(Glimber, ConstructorStepsReachOneOnTwentiethTickAndSustainSixLater) {
  Glimber env(44100.0f);
  env.keyOn();
  float previous = 0.0f;
  for (int i = 1; i < 20; i++) {
    float v = env.tick();
    EXPECT_GT(v, previous);
    EXPECT_LT(v, 1.0f) << "tick " << i;
    EXPECT_EQ(env.state, Glimber::ATTACK);
    previous = v;
  }
  EXPECT_EQ(env.tick(), 1.0f);
  EXPECT_EQ(env.state, Glimber::DECAY);
  for (int i = 1; i < 6; i++) {
    EXPECT_GT(env.tick(), 0.7f) << "decay tick " << i;
    EXPECT_EQ(env.state, Glimber::DECAY);
  }
  EXPECT_EQ(env.tick(), 0.7f);
  EXPECT_EQ(env.state, Glimber::SUSTAIN);
  for (int i = 0; i < 50; i++)
    EXPECT_EQ(env.tick(), 0.7f);
}

TEST(Glimber, ZeroSustainRestsAtZeroUntilKeyOff) {
  Glimber env(44100.0f);
  env.sustainLevel = 0.0f;
  env.decayRate = 0.3f;
  env.keyOn();
  while (env.state == Glimber::ATTACK)
    env.tick();
  while (env.state == Glimber::DECAY)
    env.tick();
  EXPECT_EQ(env.state, Glimber::SUSTAIN);
  EXPECT_EQ(env.value, 0.0f);
  EXPECT_EQ(env.tick(), 0.0f);
  EXPECT_EQ(env.state, Glimber::SUSTAIN);
  env.keyOff();
  EXPECT_EQ(env.tick(), 0.0f);
  EXPECT_EQ(env.state, Glimber::IDLE);
}

TEST(Glimber, ReleaseFallsToZeroAndKeyOnClimbsFromCurrentLevel) {
  Glimber env(44100.0f);
  env.keyOn();
  env.value = 0.12f;
  env.keyOff();
  EXPECT_NEAR(env.tick(), 0.07f, 1e-7);
  EXPECT_NEAR(env.tick(), 0.02f, 1e-7);
  EXPECT_EQ(env.state, Glimber::RELEASE);
  EXPECT_EQ(env.tick(), 0.0f);
  EXPECT_EQ(env.state, Glimber::IDLE);

  env.value = 0.4f;
  env.state = Glimber::RELEASE;
  env.keyOn();
  EXPECT_EQ(env.tick(), 0.4f + env.attackRate);
  EXPECT_EQ(env.state, Glimber::ATTACK);
}

TEST(Glimber, DecayStartingBelowSustainJumpsUpToIt) {
  Glimber env(44100.0f);
  env.value = 0.2f;
  env.state = Glimber::DECAY;
  EXPECT_EQ(env.tick(), 0.7f);
  EXPECT_EQ(env.state, Glimber::SUSTAIN);
}

TEST(Glimber, NaNValueStaysInAttackButAReleaseEndsIdleAtZero) {
  Glimber env(44100.0f);
  env.attackRate = std::numeric_limits<float>::quiet_NaN();
  env.keyOn();
  for (int i = 0; i < 10; i++)
    env.tick();
  EXPECT_EQ(env.state, Glimber::ATTACK);
  env.keyOff();
  EXPECT_EQ(env.tick(), 0.0f);
  EXPECT_EQ(env.state, Glimber::IDLE);
}

// Whatever the steps and sustain level, no stage passes the level it stops at.
TEST(Glimber, NeverOvershootsItsLevel) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> step(1e-4f, 0.6f), level(0.0f, 1.0f);
  for (int trial = 0; trial < 500; trial++) {
    Glimber env(44100.0f);
    env.attackRate = step(rng);
    env.decayRate = step(rng);
    env.releaseRate = step(rng);
    env.sustainLevel = level(rng);
    env.keyOn();
    int releaseAt = 1 + static_cast<int>(rng() % 400);
    for (int i = 0; i < 20000 && env.state != Glimber::IDLE; i++) {
      if (i == releaseAt) env.keyOff();
      int before = env.state;
      float v = env.tick();
      ASSERT_GE(v, 0.0f);
      ASSERT_LE(v, 1.0f);
      if (before == Glimber::DECAY) {
        ASSERT_GE(v, env.sustainLevel);
      }
      if (env.state == Glimber::SUSTAIN) {
        ASSERT_EQ(v, env.sustainLevel);
      }
    }
    EXPECT_EQ(env.state, Glimber::IDLE);
    EXPECT_EQ(env.value, 0.0f);
  }
}
