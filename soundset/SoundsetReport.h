// What `show` and `diff` print: slots and parameters by name, values exactly.
#ifndef TAMBREL_SOUNDSETREPORT_H
#define TAMBREL_SOUNDSETREPORT_H

#include "SoundsetDocument.h"

#include <string>
#include <vector>

namespace stk {

class SoundsetReport {
public:
  // The sixteen slots (a soundset file's), then a table of parameters by drum.
  static std::string show(const SoundsetDocument& document);
  // One line per slot or parameter whose stored bytes differ, "drum 1 OFrq: 0.26 -> 0.5 (64/128)";
  // empty when the files are identical. Both must be of the same kind.
  static std::vector<std::string> diff(const SoundsetDocument& a, const SoundsetDocument& b);

private:
  static std::string valueName(const SoundsetDocument& document, int drum, int param);
};

} // namespace stk

#endif
