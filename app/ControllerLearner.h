// Learns one control at a time from the messages a person sends when asked: a knob turned right
// then left (absolute or which relative encoding), or a button or pad pressed (CC or note).
#ifndef TAMBREL_CONTROLLERLEARNER_H
#define TAMBREL_CONTROLLERLEARNER_H

#include "ControllerMap.h"

#include <cstddef>
#include <vector>

class ControllerLearner {
public:
  // Messages each way a knob must send before its encoding is decided.
  static constexpr int kMessagesEachWay = 3;

  // Starts on a control (index in ControlTable); messages already in `known` are passed over.
  void begin(int control, const ControllerMap& known);
  // One message from the control input; true once the control is learned.
  bool feed(const unsigned char* bytes, size_t size);
  // What was learned, once feed() returned true.
  const ControlBinding& learned() const { return learned_; }

  // The encoding a knob's values show, turned right then left; false while they show none yet.
  static bool detect(const std::vector<int>& values, Encoding& encoding);

private:
  bool feedKnob(int status, int number, int value);

  int control_ = 0;
  const ControllerMap* known_ = nullptr;
  ControlBinding learned_;
  bool locked_ = false;     // a knob's first control change chooses its number and channel
  std::vector<int> values_; // the chosen knob's values so far
};

#endif
