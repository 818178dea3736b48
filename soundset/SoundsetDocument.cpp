// Decoding and encoding whole soundset and transfer files through the storage layout module.
#include "SoundsetDocument.h"

#include "SoundsetFile.h"

namespace stk {

SoundsetDocument::Kind SoundsetDocument::kindOfSize(size_t size) {
  return size == SoundsetFormat::kTransferBytes ? Kind::Transfer : Kind::Soundset;
}

size_t SoundsetDocument::byteCount() const {
  return kind == Kind::Soundset ? SoundsetFormat::kSoundsetBytes : SoundsetFormat::kTransferBytes;
}

const char* SoundsetDocument::kindName() const {
  return kind == Kind::Soundset ? "soundset file" : "transfer file";
}

bool SoundsetDocument::decode(const std::vector<unsigned char>& bytes) {
  contents = Soundset{};
  if (bytes.size() == SoundsetFormat::kSoundsetBytes) {
    kind = Kind::Soundset;
    SoundsetFormat::decode(bytes.data(), contents);
    return true;
  }
  if (bytes.size() == SoundsetFormat::kTransferBytes) {
    kind = Kind::Transfer;
    SoundsetFormat::decode(bytes.data(), contents.drums[0]);
    return true;
  }
  return false;
}

std::vector<unsigned char> SoundsetDocument::encode() const {
  std::vector<unsigned char> bytes(byteCount());
  if (kind == Kind::Soundset)
    SoundsetFormat::encode(contents, bytes.data());
  else
    SoundsetFormat::encode(contents.drums[0], bytes.data());
  return bytes;
}

bool SoundsetDocument::read(const std::string& path, std::string& error) {
  std::vector<unsigned char> bytes;
  if (!SoundsetFile::read(path, SoundsetFormat::kSoundsetBytes + 1, bytes, &error)) return false;
  if (decode(bytes)) return true;
  error = (bytes.size() > SoundsetFormat::kSoundsetBytes ? "more than 968"
                                                         : std::to_string(bytes.size())) +
          " bytes: neither a soundset file (968 bytes) nor a transfer file (168 bytes); "
          "'check' tells what the program makes of it";
  return false;
}

} // namespace stk
