// Plays a song on the kit: each message applied just before its frame, whole blocks between.
#ifndef TAMBREL_KITRENDERER_H
#define TAMBREL_KITRENDERER_H

#include "MidiSong.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace stk {
class ZorvDrumKit;
}

class KitRenderer {
public:
  // The tail is rendered in blocks of this many frames from the last message's frame on; the
  // render ends after the first block at whose end every voice rests.
  static constexpr uint64_t kTailBlock = 64;

  struct Length {
    bool fixed = false;   // exactly `frames` frames
    uint64_t frames = 0;  // when fixed
    uint64_t maxTail = 0; // otherwise: at most this many frames after the last message
  };

  // Messages on noteChannel (0 .. 15) play as in the live program; the message at time t goes to
  // the kit just before frame round(t * rate). The kit must be built at `rate`.
  KitRenderer(stk::ZorvDrumKit& kit, const MidiSong& song, int noteChannel, uint64_t rate,
              Length length);

  // Renders the next frames into out (mono), at most `capacity`; 0 once the song has ended.
  size_t render(float* out, size_t capacity);

  uint64_t framesDone() const { return position_; }
  // The length when it is fixed, else the last message's frame plus the longest tail.
  uint64_t framesAtMost() const;
  // The length when it is fixed, else the last message's frame (tails are short).
  uint64_t framesExpected() const { return length_.fixed ? length_.frames : lastFrame_; }
  // Every voice's noise and tone envelopes have ended: the kit gives exact zeros until the next
  // note. A voice without note-off rests once it has decayed to its sustain level of 0.
  bool atRest() const;

private:
  void applyDue();

  stk::ZorvDrumKit& kit_;
  const MidiSong& song_;
  const int noteChannel_;
  const Length length_;
  std::vector<uint64_t> frames_; // of each message
  size_t next_ = 0;              // the next message to apply
  uint64_t position_ = 0;        // frames rendered
  uint64_t lastFrame_ = 0;       // of the last message
  uint64_t tailEnd_ = 0;         // the latest end without a fixed length
  bool ended_ = false;
};

#endif
