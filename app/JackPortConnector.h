// Chooses the ports of other JACK clients that the program's own ports connect to, by the fixed
// names or the selectors of the settings, and connects them.
#ifndef TAMBREL_JACKPORTCONNECTOR_H
#define TAMBREL_JACKPORTCONNECTOR_H

#include <jack/jack.h>

#include <iosfwd>
#include <string>
#include <vector>

#include "Settings.h"

class JackPortConnector {
public:
  // Progress lines go to out, what went wrong to err.
  JackPortConnector(jack_client_t* client, const Settings& settings, std::ostream& out,
                    std::ostream& err);

  // Picks the other end of each own port, as the MIDI library's JACK listing numbers them
  // (every MIDI port of the other clients). Nothing is connected yet.
  void choose();
  // Connects the inputs first, then the display output: when one client both sends to the
  // program and listens to its display, the connection that closes that loop is delivered one
  // cycle late by the server, and the late one should be the display's. Arguments: own ports.
  void connect(jack_port_t* controlIn, jack_port_t* notesIn, jack_port_t* lcdOut);

  // A port by a selector could not be chosen or connected: the run ends with status 1.
  bool failed() const { return failed_; }
  // A fixed-name lookup found nothing (the run ends with status 0, as it always did).
  bool fixedPortMissing() const { return fixedPortMissing_; }
  // Both inputs listen to the same port (a controller whose pads and knobs share one port).
  bool inputsShareAPort() const {
    return !controlSource_.empty() && controlSource_ == notesSource_;
  }
  // The display goes to a hardware port (through a bridge), which takes MIDI at cable speed.
  bool lcdIsHardware() const;

  // Full names of the other clients' MIDI ports with `flags` (JackPortIsOutput: the sources an
  // input connects to), in the server's order.
  std::vector<std::string> otherMidiPorts(unsigned long flags) const;

private:
  std::string chooseOne(const std::string& selector, unsigned long flags, const char* ownName,
                        const char* role);
  void connectOne(const std::string& source, const std::string& destination);

  jack_client_t* client_;
  const Settings& settings_;
  std::ostream& out_;
  std::ostream& err_;
  std::string controlSource_, notesSource_, lcdDestination_; // empty: none
  bool failed_ = false;
  bool fixedPortMissing_ = false;
};

#endif
