// The drums' note names for hosts that read MIDNAM documents (Ardour's midnam extension).
#ifndef TAMBREL_NOTENAMES_H
#define TAMBREL_NOTENAMES_H

namespace plugin {

constexpr const char* kMidnamInterfaceUri = "http://ardour.org/lv2/midnam#interface";

// Ardour's interface, as its extension defines it; the strings are the host's to free with free.
struct MidnamInterface {
  char* (*midnam)(void* instance);
  char* (*model)(void* instance);
  void (*free)(char* text);
};

class NoteNames {
public:
  // A MIDINameDocument naming notes 36, 38, 39, 42 and 46 by drum and General MIDI role.
  static const char* document();
  static const MidnamInterface* interface();
};

} // namespace plugin

#endif
