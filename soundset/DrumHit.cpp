// Builds a kit at 44.1 kHz per hit, so that no earlier hit leaves state behind.
#include "DrumHit.h"

#include "ZorvDrumKit.h"

#include <cmath>
#include <memory>

namespace stk {

int DrumHit::note(int drum) {
  static const int notes[SoundsetFormat::kDrums] = {36, 38, 39, 42, 46};
  return notes[drum];
}

std::vector<float> DrumHit::render(const Soundset& soundset, int drum, unsigned seed) {
  Stk::setSampleRate(kRate);
  auto kit = std::make_unique<ZorvDrumKit>(seed);
  SoundsetFormat::apply(soundset, *kit);
  kit->noteOn(note(drum), kVelocity / 128.0);
  std::vector<float> samples(static_cast<size_t>(std::lround(kSeconds * kRate)));
  kit->renderBlock(samples.data(), static_cast<unsigned>(samples.size()));
  return samples;
}

HitFigures DrumHit::measure(const Soundset& soundset, int drum, unsigned seed) {
  return HitFigures::measure(render(soundset, drum, seed), kRate);
}

} // namespace stk
