// Soundset and transfer files as JSON text, and back, byte for byte.
//
// {"format": "tambrel soundset", "version": 1,
//  "slots": {"encoder 1": {"drum": 0, "param": "B+-"}, ... "pot 8": {...}},
//  "drums": [{"B+-": 1.0, "BAtk": 1.0, ... "Pan": 0.5}, ... five drums]}
// A transfer file: {"format": "tambrel transfer", "version": 1, "drum": {"B+-": 1.0, ...}}.
// Finite values are JSON numbers that read back as the same double; other values are the strings
// of ValueText::nonFinite. A slot's parameter is its name, or its number when outside 0 .. 20.
#ifndef TAMBREL_SOUNDSETJSON_H
#define TAMBREL_SOUNDSETJSON_H

#include "SoundsetDocument.h"

#include <string>

namespace stk {

class SoundsetJson {
public:
  static constexpr int kVersion = 1;
  static constexpr const char* kSoundsetFormat = "tambrel soundset";
  static constexpr const char* kTransferFormat = "tambrel transfer";

  // Indented JSON ending in a line feed.
  static std::string write(const SoundsetDocument& document);
  // False, with the fault in `error` ("/drums/2/NFrq: missing", or the syntax error and its
  // line and column), when the text is not a soundset or transfer file of this version.
  static bool read(const std::string& text, SoundsetDocument& document, std::string& error);
};

} // namespace stk

#endif
