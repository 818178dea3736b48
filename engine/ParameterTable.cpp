// The parameter table: every other view of the parameters (LCD names, soundset text, plugin
// ports, the README's table) is generated from these rows.
#include "ParameterTable.h"

#include <cassert>
#include <cstring>

namespace stk {

namespace {

// Envelope stages: a step of (ln((0.5 value + 0.2)^3 + 1.001))^3 per sample, so 0 .. 1 takes
// 31.5 s at 0, 542 ms at 0.25, 286 ms at 0.3, 33 ms at 0.5, 4.2 ms at 0.75, 0.9 ms at 1.
#define STAGE_TIMES "31.5 s at 0, 286 ms at 0.3, 33 ms at 0.5, 0.9 ms at 1"

constexpr ParameterInfo kParameters[ParameterTable::kCount] = {
    {"B+-", "bend_amount", "bend amount", 1.0,
     "bend depth and direction of pitch and cutoff: 2·value - 1 (1 up, 0.5 none, 0 down)"},
    {"BAtk", "bend_attack", "bend attack", 1.0, "bend envelope attack: " STAGE_TIMES},
    {"BDcy", "bend_decay", "bend decay", 0.3, "bend envelope decay and release: " STAGE_TIMES},
    {"NB~", "noise_bend", "noise cutoff bend", 1.0,
     "filter cutoff bend: adds 4000·value·bend Hz, followed every 400 samples"},
    {"NFrq", "noise_cutoff", "noise cutoff", 0.2, "filter base cutoff: 8000·value + 200 Hz"},
    {"NRso", "noise_resonance", "noise resonance", 0.6, "filter resonance: 0.997·value"},
    {"NCsh", "noise_crush", "noise crush", 0.5,
     "noise crush: folds below 8 - 7·value (8 at 0, 1 at 1); noise steps at (2.5·value^2 + "
     "0.1) times the sample rate"},
    {"NAtk", "noise_attack", "noise attack", 1.0, "noise envelope attack: " STAGE_TIMES},
    {"NDcy", "noise_decay", "noise decay", 0.3, "noise envelope decay and release: " STAGE_TIMES},
    {"NVlo", "noise_velocity", "noise velocity", 0.7,
     "noise gain factor 1 - value (the gain is also times velocity/128)"},
    {"NLvl", "noise_level", "noise level", 0.5, "noise level factor: value"},
    {"OB~", "tone_bend", "tone pitch bend", 0.5, "tone pitch bend: adds 4000·value^3·bend Hz"},
    {"OFrq", "tone_pitch", "tone pitch", 0.26, "tone base frequency: 15 + 3900·value^3 Hz"},
    {"OR~", "tone_random", "tone random pitch", 0.02,
     "random pitch depth: adds up to 4000·value^3 Hz in random steps"},
    {"ORSp", "tone_random_rate", "tone random rate", 0.5,
     "rate of the random pitch steps: 800·value^3 + 5 Hz"},
    {"OAtk", "tone_attack", "tone attack", 1.0, "tone envelope attack: " STAGE_TIMES},
    {"ODcy", "tone_decay", "tone decay", 0.3, "tone envelope decay and release: " STAGE_TIMES},
    {"OVlo", "tone_velocity", "tone velocity", 0.7,
     "tone gain factor 1 - value (the gain is also times velocity/128)"},
    {"OLvl", "tone_level", "tone level", 0.7, "tone level factor: value"},
    {"Vol", "volume", "volume", 1.0, "stored only: the sound does not depend on it"},
    {"Pan", "pan", "pan", 0.5, "stored only: the drums are mono"},
};

#undef STAGE_TIMES

struct ShortNames {
  const char* names[ParameterTable::kCount];
  constexpr ShortNames() : names() {
    for (int i = 0; i < ParameterTable::kCount; i++)
      names[i] = kParameters[i].shortName;
  }
};
constexpr ShortNames kShortNames;

} // namespace

const ParameterInfo& ParameterTable::at(int index) {
  assert(index >= 0 && index < kCount);
  return kParameters[index];
}

const char* const* ParameterTable::shortNames() {
  return kShortNames.names;
}

int ParameterTable::indexOfShortName(const char* shortName) {
  for (int i = 0; i < kCount; i++)
    if (std::strcmp(kParameters[i].shortName, shortName) == 0) return i;
  return -1;
}

int ParameterTable::indexOfSuffix(const char* suffix) {
  for (int i = 0; i < kCount; i++)
    if (std::strcmp(kParameters[i].suffix, suffix) == 0) return i;
  return -1;
}

} // namespace stk
