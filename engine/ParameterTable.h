// The drums' 21 parameters: order, names, defaults and what each value does, in one table.
#ifndef TAMBREL_PARAMETERTABLE_H
#define TAMBREL_PARAMETERTABLE_H

namespace stk {

// One parameter of a drum. Values are doubles, nominally 0 .. 1; the voice neither scales nor
// clamps them (any value is safe).
struct ParameterInfo {
  const char* shortName; // as the LCD and the soundset files' text show it, "NFrq"
  const char* suffix;    // stable identifier for ports and scripts, "noise_cutoff"
  const char* name;      // for people, "noise cutoff"
  double defaultValue;   // of a new drum
  const char* comment;   // what the value does, in units (rates and times at 44.1 kHz)
};

class ParameterTable {
public:
  static constexpr int kCount = 21;

  // Parameter 0 .. 20 in index order; any other index is a programming error (asserted).
  static const ParameterInfo& at(int index);
  // The 21 short names in index order, as a static array (the voices point at it).
  static const char* const* shortNames();
  // The index of a short name or a suffix, or -1.
  static int indexOfShortName(const char* shortName);
  static int indexOfSuffix(const char* suffix);
};

} // namespace stk

#endif
