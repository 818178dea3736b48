// tambrel-soundset's init, analyze and plot: the factory kits, and soundsets measured and drawn.
#ifndef TAMBREL_KITCOMMANDS_H
#define TAMBREL_KITCOMMANDS_H

#include <ostream>
#include <string>

namespace stk {

class SoundsetDocument;

class KitCommands {
public:
  struct Size {
    int width = 1600, height = 900; // pixels
  };

  // kitsFolder: where the factory soundsets and their names file are ("" when none was found).
  KitCommands(std::ostream& out, std::ostream& err, std::string kitsFolder)
      : out(out), err(err), kitsFolder(std::move(kitsFolder)) {}

  // Copies the factory kits missing from `directory` ("" is the working one) and lists what was
  // copied and kept; 0 when all ten are there afterwards.
  int init(const std::string& directory);
  // drum: 0 .. 4, or -1 for all; seed: the noise tables' (0 counts as 1, as in tambrel-render).
  int analyze(const std::string& path, int drum, bool json, unsigned seed);
  int plot(const std::string& path, const std::string& pngPath, Size size, unsigned seed);

  // "1600x900" into a size; false when it is not WxH within the plot's limits.
  static bool parseSize(const std::string& text, Size& size);

private:
  bool read(const std::string& path, SoundsetDocument& document);
  // The factory kit's name when the file holds exactly its bytes, else "".
  std::string kitName(const SoundsetDocument& document);
  bool copyKit(int kit, const std::string& target, std::string& error);
  void complain(const std::string& name, const std::string& fault);

  std::ostream& out;
  std::ostream& err;
  const std::string kitsFolder;
};

} // namespace stk

#endif
