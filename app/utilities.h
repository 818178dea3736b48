// MIDI port lookup by port name.
#ifndef TAMBREL_UTILITIES_H
#define TAMBREL_UTILITIES_H

#include <string>

#include "RtMidi.h"

namespace stk {

// True when a port name as the MIDI library lists it stands for the requested name: equal, or,
// for a requested "NAME C:P", of the form "NAME:<port name> C:P" (as RtMidi 5 names an ALSA
// sequencer port). Case-sensitive; the client and port numbers must be the same.
bool midiPortNameMatches(const std::string& listedName, const std::string& requestedName);

// Lists the ports on standard output and opens the first one whose name matches; null when none
// does or the library fails (its message is printed). The caller owns the result.
RtMidiIn* midiInputPortNamed(std::string name, RtMidi::Api api = RtMidi::UNSPECIFIED);
RtMidiOut* midiOutputPortNamed(std::string name, RtMidi::Api api = RtMidi::UNSPECIFIED);

} // namespace stk

#endif
