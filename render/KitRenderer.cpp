// Song playback: message frames, block rendering between them, the tail until the kit rests.
#include "KitRenderer.h"

#include "Glimber.h"
#include "NoteRouting.h"
#include "ZorvDrum.h"
#include "ZorvDrumKit.h"

#include <algorithm>

namespace {

// The envelope gives 0 from now on until the voice's next note.
bool envelopeRests(const Glimber& envelope) {
  if (envelope.state == Glimber::IDLE) return true;
  return envelope.state == Glimber::SUSTAIN && envelope.value == 0.0f &&
         envelope.sustainLevel == 0.0f;
}

} // namespace

KitRenderer::KitRenderer(stk::ZorvDrumKit& kit, const MidiSong& song, int noteChannel,
                         uint64_t rate, Length length)
    : kit_(kit), song_(song), noteChannel_(noteChannel), length_(length) {
  frames_.reserve(song.messages.size());
  for (const TimedMessage& m : song.messages)
    frames_.push_back(song.frameAt(m.time, rate));
  lastFrame_ = frames_.empty() ? 0 : frames_.back();
  tailEnd_ = lastFrame_ + length.maxTail;
}

uint64_t KitRenderer::framesAtMost() const {
  return length_.fixed ? length_.frames : tailEnd_;
}

bool KitRenderer::atRest() const {
  for (int d = 0; d < kit_.nDrums; ++d) {
    const stk::ZorvDrum& voice = *kit_.drums[d];
    if (!envelopeRests(*voice.noiseEnvelope) || !envelopeRests(*voice.oscEnvelope)) return false;
  }
  return true;
}

void KitRenderer::applyDue() {
  for (; next_ < frames_.size() && frames_[next_] <= position_; ++next_) {
    const TimedMessage& m = song_.messages[next_];
    applyNoteMessage(kit_, noteChannel_, m.status, m.data1, m.data2);
  }
}

size_t KitRenderer::render(float* out, size_t capacity) {
  size_t done = 0;
  while (done < capacity && !ended_) {
    applyDue();
    uint64_t stop = framesAtMost();
    if (next_ < frames_.size()) {
      stop = std::min(stop, frames_[next_]);
    } else if (!length_.fixed) { // the tail, in whole blocks from the last message's frame
      const uint64_t intoBlock = (position_ - lastFrame_) % kTailBlock;
      if (intoBlock == 0 && atRest()) stop = position_;
      stop = std::min(stop, position_ + kTailBlock - intoBlock);
    }
    if (stop <= position_) { // the fixed end, the end of the longest tail, or the kit at rest
      ended_ = true;
      break;
    }
    const size_t n = static_cast<size_t>(std::min<uint64_t>(stop - position_, capacity - done));
    kit_.renderBlock(out + done, static_cast<unsigned int>(n));
    done += n;
    position_ += n;
  }
  return done;
}
