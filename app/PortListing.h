// What --list-ports prints: the MIDI inputs and outputs of the MIDI back end and the audio
// output devices of the audio back end.
#ifndef TAMBREL_PORTLISTING_H
#define TAMBREL_PORTLISTING_H

#include <iosfwd>

#include "Settings.h"

class PortListing {
public:
  // Writes the listing to out; the libraries' errors go to standard error. Returns the exit
  // status: 0, or 1 when a back end could not be opened at all.
  static int print(const Settings& settings, std::ostream& out);
};

#endif
