// The editing logic's controls in the order learn mode asks for them.
#include "ControlTable.h"

namespace {

using K = ControlKind;

const ControlInfo kControls[ControlTable::kCount] = {
    {"encoder 1", 0, K::Encoder, "the knob you want as encoder 1"},
    {"encoder 2", 1, K::Encoder, "the knob you want as encoder 2"},
    {"encoder 3", 2, K::Encoder, "the knob you want as encoder 3"},
    {"encoder 4", 3, K::Encoder, "the knob you want as encoder 4"},
    {"encoder 5", 4, K::Encoder, "the knob you want as encoder 5"},
    {"encoder 6", 5, K::Encoder, "the knob you want as encoder 6"},
    {"encoder 7", 6, K::Encoder, "the knob you want as encoder 7"},
    {"encoder 8", 7, K::Encoder, "the knob you want as encoder 8"},
    {"pot 1", 8, K::Pot, "the knob you want as pot 1"},
    {"pot 2", 9, K::Pot, "the knob you want as pot 2"},
    {"pot 3", 10, K::Pot, "the knob you want as pot 3"},
    {"pot 4", 11, K::Pot, "the knob you want as pot 4"},
    {"pot 5", 12, K::Pot, "the knob you want as pot 5"},
    {"pot 6", 13, K::Pot, "the knob you want as pot 6"},
    {"pot 7", 14, K::Pot, "the knob you want as pot 7"},
    {"pot 8", 15, K::Pot, "the knob you want as pot 8"},
    {"assign encoder 1", 24, K::Button,
     "the button or pad you want as the assign button of encoder 1"},
    {"assign encoder 2", 25, K::Button,
     "the button or pad you want as the assign button of encoder 2"},
    {"assign encoder 3", 26, K::Button,
     "the button or pad you want as the assign button of encoder 3"},
    {"assign encoder 4", 27, K::Button,
     "the button or pad you want as the assign button of encoder 4"},
    {"assign encoder 5", 28, K::Button,
     "the button or pad you want as the assign button of encoder 5"},
    {"assign encoder 6", 29, K::Button,
     "the button or pad you want as the assign button of encoder 6"},
    {"assign encoder 7", 30, K::Button,
     "the button or pad you want as the assign button of encoder 7"},
    {"assign encoder 8", 31, K::Button,
     "the button or pad you want as the assign button of encoder 8"},
    {"assign pot 1", 32, K::Button, "the button or pad you want as the assign button of pot 1"},
    {"assign pot 2", 33, K::Button, "the button or pad you want as the assign button of pot 2"},
    {"assign pot 3", 34, K::Button, "the button or pad you want as the assign button of pot 3"},
    {"assign pot 4", 35, K::Button, "the button or pad you want as the assign button of pot 4"},
    {"assign pot 5", 36, K::Button, "the button or pad you want as the assign button of pot 5"},
    {"assign pot 6", 37, K::Button, "the button or pad you want as the assign button of pot 6"},
    {"assign pot 7", 38, K::Button, "the button or pad you want as the assign button of pot 7"},
    {"assign pot 8", 39, K::Button, "the button or pad you want as the assign button of pot 8"},
    {"drum 0", 40, K::Button, "the button or pad you want as the button of drum 0"},
    {"drum 1", 41, K::Button, "the button or pad you want as the button of drum 1"},
    {"drum 2", 42, K::Button, "the button or pad you want as the button of drum 2"},
    {"drum 3", 43, K::Button, "the button or pad you want as the button of drum 3"},
    {"drum 4", 44, K::Button, "the button or pad you want as the button of drum 4"},
    {"rand", 84, K::Button, "the button or pad you want as Rand"},
    {"chanl", 85, K::Button, "the button or pad you want as Chanl"},
    {"copy", 86, K::Button, "the button or pad you want as Copy"},
    {"paste", 87, K::Button, "the button or pad you want as Paste"},
    {"drum +1", 88, K::Button, "the button or pad you want as the drum step +1"},
    {"drum -1", 89, K::Button, "the button or pad you want as the drum step -1"},
    {"up", 90, K::Button, "the button or pad you want as up (soundset, channel)"},
    {"down", 91, K::Button, "the button or pad you want as down (soundset, channel)"},
    {"load", 75, K::Button, "the button or pad you want as Load"},
    {"save", 76, K::Button, "the button or pad you want as Save"},
};

} // namespace

const ControlInfo& ControlTable::at(int index) {
  return kControls[index];
}

int ControlTable::find(const std::string& name) {
  for (int i = 0; i < kCount; ++i)
    if (name == kControls[i].name) return i;
  return -1;
}
