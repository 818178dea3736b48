// A picture of a soundset: each drum's waveform with its envelope, and its spectrum, side by side.
#ifndef TAMBREL_SOUNDSETPLOT_H
#define TAMBREL_SOUNDSETPLOT_H

#include "SoundsetFormat.h"

#include <string>
#include <vector>

namespace stk {

class SoundsetPlot {
public:
  static constexpr double kWaveSeconds = 0.6; // of each waveform, from its onset
  static constexpr int kMinWidth = 200, kMinHeight = 120, kMaxSide = 16384; // pixels

  // The PNG bytes of the picture, width x height pixels; `title` heads it.
  static std::vector<unsigned char> png(const Soundset& soundset, unsigned seed,
                                        const std::string& title, int width, int height);
};

} // namespace stk

#endif
