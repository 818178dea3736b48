// What a soundset file (968 bytes) or a transfer file (168 bytes, one drum) holds, field by field.
#ifndef TAMBREL_SOUNDSETDOCUMENT_H
#define TAMBREL_SOUNDSETDOCUMENT_H

#include "SoundsetFormat.h"

#include <cstddef>
#include <string>
#include <vector>

namespace stk {

class SoundsetDocument {
public:
  // A file is told by its size alone: exactly kTransferBytes is a transfer file, anything else
  // is meant as a soundset file (and of any other size than kSoundsetBytes, a damaged one).
  enum class Kind { Soundset, Transfer };
  static Kind kindOfSize(size_t size);

  Kind kind = Kind::Soundset;
  // Every field as stored; a transfer file's drum is drums[0] and its slots are unused.
  Soundset contents{};

  int drumCount() const { return kind == Kind::Soundset ? SoundsetFormat::kDrums : 1; }
  size_t byteCount() const;
  // False when the size is neither layout's.
  bool decode(const std::vector<unsigned char>& bytes);
  std::vector<unsigned char> encode() const;

  // Reads and decodes a whole file; false with a one-line reason (without the file's name) when
  // it cannot be read or its size is neither layout's.
  bool read(const std::string& path, std::string& error);

  // "soundset file" or "transfer file".
  const char* kindName() const;
};

} // namespace stk

#endif
