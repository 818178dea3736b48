// A fixed stretch of playing for kit tests: notes, knob turns and note-offs between blocks and
// single ticks, the same for every kit it is given, one round at a time.
#ifndef TAMBREL_TESTS_KITSCRIPT_H
#define TAMBREL_TESTS_KITSCRIPT_H

#include "ZorvDrumKit.h"

#include <vector>

class KitScript {
public:
  static constexpr int ROUNDS = 120;

  explicit KitScript(stk::ZorvDrumKit& kit) : kit(kit), block(512) {}

  // Plays round `round` (0 .. ROUNDS - 1) and appends its samples to out.
  void playRound(int round, std::vector<float>& out) {
    static const int notes[] = {36, 38, 39, 42, 46};
    if (round % 4 == 0) kit.noteOn(notes[(round / 4) % 5], 0.35 + 0.05 * (round % 13));
    if (round % 6 == 3) {
      kit.setParam(round % 5, (round * 7) % 21, ((round * 37) % 100) / 100.0);
      kit.setParam(round % 5, 13, 0.5); // audible random pitch: the pitch noise steps
    }
    if (round % 9 == 8) kit.noteOff(notes[(round / 3) % 5]);
    const unsigned int frames = 1 + (round * 97) % 511;
    if (round % 5 == 2) {
      for (unsigned int i = 0; i < frames; i++)
        out.push_back(static_cast<float>(kit.tick()));
    } else {
      kit.renderBlock(block.data(), frames);
      out.insert(out.end(), block.begin(), block.begin() + frames);
    }
  }

  // All rounds at once.
  std::vector<float> playAll() {
    std::vector<float> out;
    for (int round = 0; round < ROUNDS; round++)
      playRound(round, out);
    return out;
  }

private:
  stk::ZorvDrumKit& kit;
  std::vector<float> block;
};

#endif
