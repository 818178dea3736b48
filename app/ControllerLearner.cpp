// Encodings told apart by the values of both turns: relative encoders send small signed steps
// that the right and the left turn put into different ranges; absolute knobs count up, then down.
#include "ControllerLearner.h"

#include <cstdlib>

namespace {

// The steps of each message under an encoding (absolute: the change from the message before,
// the first counts as no step).
std::vector<int> stepsUnder(Encoding encoding, const std::vector<int>& values) {
  std::vector<int> steps;
  for (size_t i = 0; i < values.size(); ++i) {
    switch (encoding) {
    case Encoding::Absolute:
      steps.push_back(i == 0 ? 0 : values[i] - values[i - 1]);
      break;
    case Encoding::Offset64:
      steps.push_back(values[i] - 64);
      break;
    case Encoding::TwosComplement:
      steps.push_back(values[i] < 64 ? values[i] : values[i] - 128);
      break;
    case Encoding::SignMagnitude:
      steps.push_back((values[i] & 64) ? -(values[i] & 63) : (values[i] & 63));
      break;
    }
  }
  return steps;
}

// Right then left: positive steps, then negative ones, at least `each` of both, none of no
// size (an absolute knob may stand still at either end); the sum of the step sizes, or -1.
int rightThenLeft(const std::vector<int>& steps, bool allowStill, int each) {
  int right = 0, left = 0, size = 0;
  for (int step : steps) {
    if (step == 0) {
      if (!allowStill) return -1;
      continue;
    }
    if (step > 0) {
      if (left > 0) return -1; // turned right again after the left turn
      ++right;
    } else {
      ++left;
    }
    size += std::abs(step);
  }
  return right >= each && left >= each ? size : -1;
}

} // namespace

bool ControllerLearner::detect(const std::vector<int>& values, Encoding& encoding) {
  // The relative encodings first: an absolute knob's values do not jump between the ranges of
  // a right and a left turn. Of the relative ones that fit, the smallest steps win (two's
  // complement and sign-magnitude agree on the right turn only).
  int best = -1;
  for (Encoding candidate :
       {Encoding::Offset64, Encoding::TwosComplement, Encoding::SignMagnitude}) {
    const int size =
        rightThenLeft(stepsUnder(candidate, values), false, ControllerLearner::kMessagesEachWay);
    if (size >= 0 && (best < 0 || size < best)) {
      best = size;
      encoding = candidate;
    }
  }
  if (best >= 0) return true;
  // An absolute knob: its first value only gives the start.
  const std::vector<int> steps = stepsUnder(Encoding::Absolute, values);
  if (rightThenLeft(steps, true, kMessagesEachWay - 1) >= 0) {
    int right = 1, left = 0;
    for (size_t i = 1; i < steps.size(); ++i)
      (steps[i] > 0 ? right : left) += steps[i] != 0;
    if (right >= kMessagesEachWay && left >= kMessagesEachWay) {
      encoding = Encoding::Absolute;
      return true;
    }
  }
  return false;
}

void ControllerLearner::begin(int control, const ControllerMap& known) {
  control_ = control;
  known_ = &known;
  learned_ = ControlBinding();
  learned_.control = control;
  locked_ = false;
  values_.clear();
}

bool ControllerLearner::feed(const unsigned char* bytes, size_t size) {
  if (size < 3) return false;
  const int type = bytes[0] & 0xF0, channel = bytes[0] & 0x0F, number = bytes[1] & 127;
  const int value = bytes[2] & 127;
  const bool note = type == 0x90 || type == 0x80;
  if (type != 0xB0 && !note) return false;
  const MessageKind kind = note ? MessageKind::Note : MessageKind::ControlChange;
  if (known_->bindingFor(kind, channel, number) != ControllerMap::kNone) return false;
  if (ControlTable::at(control_).kind != ControlKind::Button) {
    if (note) return false;
    return feedKnob(channel, number, value);
  }
  if (type == 0x80 || value == 0) return false; // a press, not a release
  learned_.message = kind;
  learned_.number = number;
  learned_.channel = channel;
  return true;
}

bool ControllerLearner::feedKnob(int channel, int number, int value) {
  if (!locked_) {
    locked_ = true;
    learned_.message = MessageKind::ControlChange;
    learned_.number = number;
    learned_.channel = channel;
  } else if (number != learned_.number || channel != learned_.channel) {
    return false; // another knob touched meanwhile
  }
  values_.push_back(value);
  return detect(values_, learned_.encoding);
}
