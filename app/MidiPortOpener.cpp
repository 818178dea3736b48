// Port opening: the fixed-name lookup as it always was, selectors matched against the library's
// listing, and own ports (optionally connected to a selected port).
#include "MidiPortOpener.h"

#include "PortSelector.h"
#include "SilentMidiOut.h"
#include "utilities.h"

#include <memory>
#include <ostream>
#include <vector>

namespace {

const char* kClientName = "tambrel";

RtMidiIn* createPort(RtMidiIn*, RtMidi::Api api) {
  return new RtMidiIn(api, kClientName, 100);
}
RtMidiOut* createPort(RtMidiOut*, RtMidi::Api api) {
  return new RtMidiOut(api, kClientName);
}
const char* kindOf(RtMidiIn*) {
  return "MIDI input";
}
const char* kindOf(RtMidiOut*) {
  return "MIDI output";
}

} // namespace

MidiPortOpener::MidiPortOpener(const Settings& settings, std::ostream& out, std::ostream& err)
    : settings_(settings), out_(out), err_(err) {}

const char* MidiPortOpener::hint() {
  return "tambrel: no controller under its fixed port names; --list-ports shows the ports, "
         "--controller NAME finds it by name, --virtual gives tambrel its own ports";
}

RtMidiIn* MidiPortOpener::openControlIn() {
  if (settings_.portSource == PortSource::FixedNames) {
    RtMidiIn* port = stk::midiInputPortNamed(settings_.controlIn, settings_.midiApi);
    if (!port) fixedPortMissing_ = true;
    return port;
  }
  return open<RtMidiIn>(settings_.controlIn, "control", "control input");
}

RtMidiIn* MidiPortOpener::openNotesIn() {
  if (settings_.portSource == PortSource::FixedNames) {
    RtMidiIn* port = stk::midiInputPortNamed(settings_.notesIn, settings_.midiApi);
    if (!port) fixedPortMissing_ = true;
    return port;
  }
  return open<RtMidiIn>(settings_.notesIn, "notes", "note input");
}

RtMidiOut* MidiPortOpener::openLcdOut() {
  if (!settings_.lcdPort) return new SilentMidiOut;
  if (settings_.portSource == PortSource::FixedNames) {
    RtMidiOut* port = stk::midiOutputPortNamed(settings_.lcdOut, settings_.midiApi);
    if (!port) fixedPortMissing_ = true;
    return port;
  }
  return open<RtMidiOut>(settings_.lcdOut, "lcd", "LCD output");
}

template <class Port>
Port* MidiPortOpener::open(const std::string& selector, const char* ownName, const char* role) {
  std::unique_ptr<Port> port;
  try {
    port.reset(createPort(static_cast<Port*>(nullptr), settings_.midiApi));
    if (settings_.portSource == PortSource::Virtual) {
      port->openVirtualPort(ownName);
      out_ << "Own " << kindOf(port.get()) << " \"" << ownName << "\" open\n";
    }
    if (!connect(*port, selector, ownName, role)) {
      failed_ = true;
      return nullptr;
    }
  } catch (RtMidiError& error) {
    error.printMessage();
    failed_ = true;
    return nullptr;
  }
  return port.release();
}

template <class Port>
bool MidiPortOpener::connect(Port& port, const std::string& selector, const char* ownName,
                             const char* role) {
  if (selector.empty()) return true; // an own port that nothing is connected to yet
  std::vector<std::string> listed;
  const unsigned int count = port.getPortCount();
  for (unsigned int i = 0; i < count; i++)
    listed.push_back(port.getPortName(i));
  const int chosen = choose(selector, listed, kindOf(&port), role, out_, err_);
  if (chosen < 0) return false;
  port.openPort(static_cast<unsigned int>(chosen), ownName);
  if (std::string(ownName) == "control") controlSource_ = listed[chosen];
  if (std::string(ownName) == "notes") notesSource_ = listed[chosen];
  return true;
}

int MidiPortOpener::choose(const std::string& selector, const std::vector<std::string>& listed,
                           const char* kind, const char* role, std::ostream& out,
                           std::ostream& err) {
  const std::vector<size_t> chosen = PortSelector(selector).matches(listed);
  if (chosen.size() == 1) {
    out << "Connecting the " << role << " to #" << chosen[0] << ": " << listed[chosen[0]] << "\n";
    return static_cast<int>(chosen[0]);
  }
  if (chosen.empty()) {
    err << "tambrel: no " << kind << " matches \"" << selector << "\" (" << role << "); the "
        << kind << "s are:\n";
    for (size_t i = 0; i < listed.size(); i++)
      err << "  #" << i << ": " << listed[i] << "\n";
    if (listed.empty()) err << "  (none)\n";
  } else {
    err << "tambrel: " << chosen.size() << " " << kind << "s match \"" << selector << "\" (" << role
        << "); give one of:\n";
    for (size_t i : chosen)
      err << "  #" << i << ": " << listed[i] << "\n";
  }
  return -1;
}
