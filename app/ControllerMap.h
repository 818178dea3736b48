// A controller map: which incoming MIDI message stands for which control of the editing logic,
// read from a JSON file a person can write; immutable once read, so any thread may look it up.
#ifndef TAMBREL_CONTROLLERMAP_H
#define TAMBREL_CONTROLLERMAP_H

#include "ControlTable.h"

#include <cstdint>
#include <string>
#include <vector>

// How a control change carries a knob's movement.
enum class Encoding {
  Absolute,       // the position, 0 .. 127
  Offset64,       // 64 + steps: 65 is +1, 63 is -1
  TwosComplement, // 1 is +1, 127 is -1
  SignMagnitude,  // bit 6 is the sign: 1 is +1, 65 is -1
};

enum class MessageKind { ControlChange = 0, Note = 1 };

// One control bound to one incoming message.
struct ControlBinding {
  int control = 0; // index in ControlTable
  MessageKind message = MessageKind::ControlChange;
  int number = 0;                         // controller or note number, 0 .. 127
  int channel = -1;                       // 0 .. 15, or -1 for any
  Encoding encoding = Encoding::Absolute; // knobs only
  bool toggle = false;                    // buttons only: each press flips the state
  // Filled in by ControllerMap::add from the control, for the per-message path.
  int controller = 0;
  ControlKind kind = ControlKind::Button;
};

class ControllerMap {
public:
  static constexpr int kNone = -1;

  ControllerMap();

  std::string name;
  std::string comment; // where the layout comes from
  bool passUnmapped = false;

  const std::vector<ControlBinding>& bindings() const { return bindings_; }
  // Adds a binding; false with a reason when its message is taken already or it does not fit
  // its control (a knob played by a note).
  bool add(ControlBinding binding, std::string& error);

  // The binding (index in bindings()) that a message selects, or kNone. Channel 0 .. 15.
  int bindingFor(MessageKind message, int channel, int number) const {
    return lookup_[static_cast<int>(message)][channel & 15][number & 127];
  }

  // Reads a map from JSON text; false with "PLACE: FAULT" (or the parser's position and fault).
  static bool parse(const std::string& text, ControllerMap& map, std::string& error);
  // Reads the file; false with one line "FILE: PLACE: FAULT".
  static bool load(const std::string& path, ControllerMap& map, std::string& error);
  // The map as JSON text that parse() reads back.
  std::string toJson() const;

private:
  std::vector<ControlBinding> bindings_;
  int16_t lookup_[2][16][128]; // binding index per message kind, channel and number
};

const char* encodingName(Encoding encoding);

#endif
