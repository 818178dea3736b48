// The ten factory soundsets: where the installed (or built) files are and what they are called.
#ifndef TAMBREL_FACTORYKITS_H
#define TAMBREL_FACTORYKITS_H

#include <string>
#include <vector>

namespace stk {

class FactoryKits {
public:
  static constexpr int kCount = 10;
  // Beside the soundset files: one line per kit, "N NAME", N from 0 to 9.
  static constexpr const char* kNamesFile = "names.txt";

  // The folder of the running program's kits: <program's folder>/<TAMBREL_KITS_FROM_BIN>
  // (share/tambrel/soundsets beside bin/), else the build tree's when the program was built
  // there; "" when neither holds the names file.
  static std::string folder();

  // The names of kits 0 .. 9 from the folder's names file; false with a one-line reason.
  static bool readNames(const std::string& folder, std::vector<std::string>& names,
                        std::string& error);
  // The kit that "N" (0 .. 9) or a name means, or -1.
  static int find(const std::vector<std::string>& names, const std::string& text);
};

} // namespace stk

#endif
