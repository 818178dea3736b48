// Soundset and transfer files on disk: their names, reading, and replacement in one step.
#ifndef TAMBREL_SOUNDSETFILE_H
#define TAMBREL_SOUNDSETFILE_H

#include <cstddef>
#include <string>
#include <vector>

namespace stk {

class SoundsetFile {
public:
  // "soundset%3d.dat": for 0 .. 9 "soundset", two blanks, the digit, ".dat".
  static std::string soundsetName(int number);
  static constexpr const char* kTransferName = "tempSound.dat";
  // name inside directory; "" is the working directory.
  static std::string inDirectory(const std::string& directory, const std::string& name);

  // Reads at most `limit` bytes from the start of a regular file. A directory, FIFO or device
  // counts as a file that cannot be opened. False, with the reason in `error`, when it cannot be
  // opened or read.
  static bool read(const std::string& path, size_t limit, std::vector<unsigned char>& bytes,
                   std::string* error = nullptr);

  // Writes `path` + ".tmp" and renames it over `path` only once every byte was written and the
  // file closed without error; otherwise the old file stays and the temporary goes. False, with
  // the reason in `error`, when the file was not replaced. No fsync.
  static bool replace(const std::string& path, const unsigned char* bytes, size_t size,
                      std::string* error = nullptr);
};

} // namespace stk

#endif
