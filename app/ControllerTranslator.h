// Turns one incoming MIDI message into the control change the ReMOTE ZeRO SL would have sent for
// the control a map binds it to. Holds each control's runtime state; allocation- and lock-free.
#ifndef TAMBREL_CONTROLLERTRANSLATOR_H
#define TAMBREL_CONTROLLERTRANSLATOR_H

#include "ControllerMap.h"
#include "Nonblocking.h"

#include <cstddef>

class ControllerTranslator {
public:
  enum class Verdict {
    Translated, // the map takes the message: `count` control changes (0 or 1) for the logic
    Pass,       // not in the map, and the map passes unmapped messages on unchanged
    Drop,       // not in the map: nobody on the control input uses it
  };
  struct Result {
    Verdict verdict = Verdict::Drop;
    int count = 0;      // 0 or 1
    int controller = 0; // 0 .. 127, the logic's controller number
    int value = 0;      // 0 .. 127
  };

  // The map must outlive the translator.
  explicit ControllerTranslator(const ControllerMap& map);
  ControllerTranslator(const ControllerTranslator&) = delete;
  ControllerTranslator& operator=(const ControllerTranslator&) = delete;

  // One message of 1 .. 3 bytes from the control input. Only one thread may call this.
  Result translate(const unsigned char* bytes, size_t size) TAMBREL_NONBLOCKING;

  // True when the map binds the message; the notes input then does not play it. Any thread.
  bool takes(const unsigned char* bytes, size_t size) const TAMBREL_NONBLOCKING {
    return find(bytes, size) != ControllerMap::kNone;
  }

  // Back to the state before the first message: knobs unknown, pots at 0, toggles off.
  void reset();

  // Steps a relative encoding carries, -64 .. 63 (-63 .. 63 for sign-magnitude).
  static int stepsOf(Encoding encoding, int value) TAMBREL_NONBLOCKING;

private:
  static constexpr int kMaxBindings = ControlTable::kCount;
  static int clamp127(int value) { return value < 0 ? 0 : (value > 127 ? 127 : value); }

  int find(const unsigned char* bytes, size_t size) const TAMBREL_NONBLOCKING;
  int knobValue(int binding, ControlKind kind, int data) TAMBREL_NONBLOCKING;
  // -1 when the message changes nothing (a toggle's release).
  int buttonValue(int binding, bool pressed) TAMBREL_NONBLOCKING;

  const ControllerMap& map_;
  int previous_[kMaxBindings]; // an absolute knob's last value, -1 before its first message
  int position_[kMaxBindings]; // a relative knob's accumulated pot position, 0 .. 127
  bool toggled_[kMaxBindings]; // a toggle button's state
};

inline int ControllerTranslator::stepsOf(Encoding encoding, int value) {
  switch (encoding) {
  case Encoding::Offset64:
    return value - 64;
  case Encoding::TwosComplement:
    return value < 64 ? value : value - 128;
  case Encoding::SignMagnitude:
    return (value & 64) ? -(value & 63) : (value & 63);
  case Encoding::Absolute:
    break;
  }
  return 0;
}

inline int ControllerTranslator::find(const unsigned char* bytes, size_t size) const {
  if (size < 3) return ControllerMap::kNone; // control changes and notes have three bytes
  const int type = bytes[0] & 0xF0;
  const int channel = bytes[0] & 0x0F;
  if (type == 0xB0) return map_.bindingFor(MessageKind::ControlChange, channel, bytes[1]);
  if (type == 0x90 || type == 0x80) return map_.bindingFor(MessageKind::Note, channel, bytes[1]);
  return ControllerMap::kNone;
}

inline int ControllerTranslator::knobValue(int binding, ControlKind kind, int data) {
  const Encoding encoding = map_.bindings()[binding].encoding;
  if (encoding == Encoding::Absolute) {
    if (kind == ControlKind::Pot) return data;
    // An absolute knob as an encoder: steps from its own previous value; the first gives none.
    const int previous = previous_[binding] < 0 ? data : previous_[binding];
    previous_[binding] = data;
    return clamp127(64 + data - previous);
  }
  const int steps = stepsOf(encoding, data);
  if (kind == ControlKind::Encoder) return clamp127(64 + steps);
  position_[binding] = clamp127(position_[binding] + steps); // an encoder as a pot
  return position_[binding];
}

inline int ControllerTranslator::buttonValue(int binding, bool pressed) {
  if (!map_.bindings()[binding].toggle) return pressed ? 1 : 0;
  if (!pressed) return -1;
  toggled_[binding] = !toggled_[binding];
  return toggled_[binding] ? 1 : 0;
}

inline ControllerTranslator::Result ControllerTranslator::translate(const unsigned char* bytes,
                                                                    size_t size) {
  Result result;
  const int binding = find(bytes, size);
  if (binding == ControllerMap::kNone) {
    result.verdict = map_.passUnmapped ? Verdict::Pass : Verdict::Drop;
    return result;
  }
  result.verdict = Verdict::Translated;
  const ControlBinding& control = map_.bindings()[binding];
  const int type = bytes[0] & 0xF0;
  const int data = bytes[2] & 127;
  const int value = control.kind == ControlKind::Button
                        ? buttonValue(binding, type != 0x80 && data > 0)
                        : knobValue(binding, control.kind, data);
  if (value < 0) return result;
  result.count = 1;
  result.controller = control.controller;
  result.value = value;
  return result;
}

#endif
