// Whether the program loads a file exactly as stored, and if not, why.
#ifndef TAMBREL_SOUNDSETCHECK_H
#define TAMBREL_SOUNDSETCHECK_H

#include "SoundsetDocument.h"

#include <cstdint>
#include <string>
#include <vector>

namespace stk {

class SoundsetCheck {
public:
  // `bytes`: the file's first bytes, at least min(fileSize, kSoundsetBytes) of them;
  // `fileSize`: its whole length, which also tells its kind (SoundsetDocument::kindOfSize).
  SoundsetCheck(const std::vector<unsigned char>& bytes, uintmax_t fileSize);

  SoundsetDocument::Kind kind;
  // Why the program does not load the file as stored: length, assignments outside the kit,
  // values that are not finite. Empty when it loads exactly as stored.
  std::vector<std::string> faults;
  // Finite values outside 0 .. 1: loaded as stored and accepted by the drums, but no control
  // produces them.
  std::vector<std::string> unusualValues;

private:
  void checkLength(uintmax_t fileSize);
  void checkSlots(const Soundset& stored, size_t heldBytes);
  void checkValues(const Soundset& stored, size_t heldBytes);
  std::string valueName(int drum, int param) const;
};

} // namespace stk

#endif
