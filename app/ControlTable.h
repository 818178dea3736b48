// The controls of the editing logic a controller map may name, with the controller number each
// one sends to the logic and how its value is read there.
#ifndef TAMBREL_CONTROLTABLE_H
#define TAMBREL_CONTROLTABLE_H

#include <string>

// How the logic reads a control's value.
enum class ControlKind {
  Encoder, // relative: 64 + steps
  Pot,     // absolute position 0 .. 127
  Button,  // 1 pressed, 0 released
};

struct ControlInfo {
  const char* name; // stable, as maps and the README write it: "encoder 1", "assign pot 3"
  int controller;   // the controller number the logic receives, 0 .. 127
  ControlKind kind;
  const char* prompt; // what learn mode asks for, after "turn" or "press"
};

class ControlTable {
public:
  static constexpr int kCount = 47;

  static const ControlInfo& at(int index);
  // The index of the control of that name, or -1.
  static int find(const std::string& name);
};

#endif
