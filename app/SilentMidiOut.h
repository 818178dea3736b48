// A MIDI output that sends nowhere: the display port of a run without one (--no-lcd).
#ifndef TAMBREL_SILENTMIDIOUT_H
#define TAMBREL_SILENTMIDIOUT_H

#include "RtMidi.h"

class SilentMidiOut : public RtMidiOut {
public:
  // Built on the JACK back end, which needs no server until a port is opened; that back end is
  // then swapped for one that drops every message.
  SilentMidiOut();
};

#endif
