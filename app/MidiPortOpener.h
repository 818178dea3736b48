// Opens the program's three MIDI ports as the settings say: by the fixed names, by selectors,
// or as the program's own ports.
#ifndef TAMBREL_MIDIPORTOPENER_H
#define TAMBREL_MIDIPORTOPENER_H

#include <iosfwd>
#include <string>
#include <vector>

#include "RtMidi.h"
#include "Settings.h"

class MidiPortOpener {
public:
  // Progress lines go to out, what went wrong to err.
  MidiPortOpener(const Settings& settings, std::ostream& out, std::ostream& err);

  // Each returns an open port the caller owns, or null. With --no-lcd the display output is a
  // port that sends nowhere.
  RtMidiIn* openControlIn();
  RtMidiIn* openNotesIn();
  RtMidiOut* openLcdOut();

  // A port by a selector or an own port could not be opened: the run ends with status 1.
  bool failed() const { return failed_; }
  // A fixed-name lookup found nothing (reported as always; the run still ends with status 0).
  bool fixedPortMissing() const { return fixedPortMissing_; }
  // True when the control and note inputs were connected to one and the same port, whose
  // messages then reach both.
  bool inputsShareAPort() const {
    return !controlSource_.empty() && controlSource_ == notesSource_;
  }
  // The line that says how else the ports can be found, after a fixed-name lookup failed.
  static const char* hint();

  // The one port of `listed` a selector names, with a progress line on out ("Connecting the
  // <role> to #N: NAME"); -1 after the candidates on err when it names none or several. kind:
  // "MIDI input" or "MIDI output".
  static int choose(const std::string& selector, const std::vector<std::string>& listed,
                    const char* kind, const char* role, std::ostream& out, std::ostream& err);

private:
  template <class Port>
  Port* open(const std::string& selector, const char* ownName, const char* role);
  template <class Port>
  bool connect(Port& port, const std::string& selector, const char* ownName, const char* role);

  const Settings& settings_;
  std::ostream& out_;
  std::ostream& err_;
  bool failed_ = false;
  bool fixedPortMissing_ = false;
  std::string controlSource_, notesSource_; // the ports the inputs were connected to
};

#endif
