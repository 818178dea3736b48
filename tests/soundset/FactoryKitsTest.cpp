// The ten factory kits as built, measured with analyze's own code at seeds 1, 2 and 3.
#include "FactoryKits.h"
#include "DrumHit.h"
#include "ParameterNames.h"
#include "SoundsetDocument.h"
#include "SoundsetFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

using stk::FactoryKits;
using stk::HitFigures;

const unsigned kSeeds[] = {1, 2, 3};
using KitFigures = std::array<HitFigures, 5>;

stk::Soundset factoryKit(int kit) {
  stk::SoundsetDocument document;
  std::string error;
  std::string path =
      stk::SoundsetFile::inDirectory(TAMBREL_BUILD_KITS, stk::SoundsetFile::soundsetName(kit));
  EXPECT_TRUE(document.read(path, error)) << path << ": " << error;
  EXPECT_EQ(document.kind, stk::SoundsetDocument::Kind::Soundset);
  return document.contents;
}

// Every kit's five hits at one seed, measured once for all the tests.
const KitFigures& figures(int kit, unsigned seed) {
  static std::map<std::pair<int, unsigned>, KitFigures> measured;
  auto found = measured.find({kit, seed});
  if (found != measured.end()) return found->second;
  KitFigures all;
  stk::Soundset soundset = factoryKit(kit);
  for (int drum = 0; drum < 5; ++drum)
    all[drum] = stk::DrumHit::measure(soundset, drum, seed);
  return measured[{kit, seed}] = all;
}

// Within lo .. hi, naming the place when not.
void expectWithin(double value, double lo, double hi, const char* what) {
  EXPECT_TRUE(value >= lo && value <= hi)
      << what << " " << value << " outside " << lo << " .. " << hi;
}

template <class Check> void forEveryKitAndSeed(Check check) {
  for (int kit = 0; kit < FactoryKits::kCount; ++kit)
    for (unsigned seed : kSeeds) {
      SCOPED_TRACE("kit " + std::to_string(kit) + ", seed " + std::to_string(seed));
      check(figures(kit, seed));
    }
}

} // namespace

TEST(FactoryKits, TheNamesFileNamesTenDifferentKits) {
  std::vector<std::string> names;
  std::string error;
  ASSERT_TRUE(FactoryKits::readNames(TAMBREL_BUILD_KITS, names, error)) << error;
  for (int kit = 0; kit < FactoryKits::kCount; ++kit) {
    EXPECT_EQ(FactoryKits::find(names, names[kit]), kit);
    EXPECT_EQ(FactoryKits::find(names, std::to_string(kit)), kit);
  }
  EXPECT_EQ(FactoryKits::find(names, "10"), -1);
  EXPECT_EQ(FactoryKits::find(names, ""), -1);
}

TEST(FactoryKits, EveryDrumPlaysItsGeneralMidiRole) {
  forEveryKitAndSeed([](const KitFigures& f) {
    for (const HitFigures& hit : f)
      ASSERT_FALSE(hit.silent);
    expectWithin(f[0].pitchHz, 40, 120, "kick pitch Hz");
    expectWithin(f[0].centroidHz, 0, 400, "kick centroid Hz");
    expectWithin(f[0].fallSeconds, 0.120, 0.800, "kick fall s");
    expectWithin(f[1].pitchHz, 120, 350, "snare pitch Hz");
    expectWithin(f[1].centroidHz, 800, 5000, "snare centroid Hz");
    expectWithin(f[1].fallSeconds, 0.080, 0.400, "snare fall s");
    expectWithin(f[2].centroidHz, 700, 5000, "clap/rim centroid Hz");
    expectWithin(f[2].fallSeconds, 0.030, 0.500, "clap/rim fall s");
    expectWithin(f[3].centroidHz, 3500, 1e9, "closed hat centroid Hz");
    expectWithin(f[3].fallSeconds, 0.015, 0.120, "closed hat fall s");
    expectWithin(f[4].centroidHz, 3500, 1e9, "open hat centroid Hz");
    expectWithin(f[4].fallSeconds, std::max(0.200, 2 * f[3].fallSeconds), 0.900,
                 "open hat fall s (at least twice the closed hat's)");
    for (const HitFigures& hit : f)
      EXPECT_TRUE(hit.fallComplete);
  });
}

TEST(FactoryKits, EveryHitIsLevelledCentredAndBalancedAgainstTheOthers) {
  forEveryKitAndSeed([](const KitFigures& f) {
    double quietest = 0, loudest = -1e9;
    for (int drum = 0; drum < 5; ++drum) {
      SCOPED_TRACE("drum " + std::to_string(drum));
      expectWithin(f[drum].peakDb, -12, -1, "peak dBFS");
      expectWithin(f[drum].dcShare, -0.3, 0.3, "DC share");
      quietest = std::min(quietest, f[drum].loudnessLufs);
      loudest = std::max(loudest, f[drum].loudnessLufs);
    }
    EXPECT_LE(loudest - quietest, 8.0) << "loudness spread LU";
  });
}

TEST(FactoryKits, NoTwoKitsAreAlike) {
  // At least two drums differ by 15 % or more in centroid or in fall time.
  auto apart = [](double a, double b) { return std::fabs(a - b) >= 0.15 * std::min(a, b); };
  for (unsigned seed : kSeeds)
    for (int a = 0; a < FactoryKits::kCount; ++a)
      for (int b = a + 1; b < FactoryKits::kCount; ++b) {
        int differing = 0;
        for (int drum = 0; drum < 5; ++drum) {
          const HitFigures &x = figures(a, seed)[drum], &y = figures(b, seed)[drum];
          differing += apart(x.centroidHz, y.centroidHz) || apart(x.fallSeconds, y.fallSeconds);
        }
        EXPECT_GE(differing, 2) << "kits " << a << " and " << b << ", seed " << seed;
      }
}

TEST(FactoryKits, SlotsReachEveryDrumAndOnlyTheParametersAPlayerTurnsLive) {
  // Tune, decay, cutoff, crush, level and the tone's randomness; Vol and Pan change nothing.
  const std::vector<std::string> live = {"OFrq", "ODcy", "NDcy", "NFrq", "NCsh",
                                         "NLvl", "OLvl", "OR~",  "OB~",  "NAtk"};
  for (int kit = 0; kit < FactoryKits::kCount; ++kit) {
    stk::Soundset soundset = factoryKit(kit);
    std::array<int, 5> perDrum{};
    for (const stk::ControlAssignment& slot : soundset.slots) {
      ASSERT_TRUE(slot.drum >= 0 && slot.drum < 5 && slot.param >= 0 && slot.param < 21);
      ++perDrum[slot.drum];
      const std::string& name = stk::ParameterNames::parameter(slot.param);
      EXPECT_NE(std::find(live.begin(), live.end(), name), live.end())
          << "kit " << kit << ": " << name;
    }
    for (int drum = 0; drum < 5; ++drum)
      EXPECT_GE(perDrum[drum], 2) << "kit " << kit << " drum " << drum;
  }
}
