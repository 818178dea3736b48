// Port choice by fixed name or selector over the server's MIDI ports, and the connections.
#include "JackPortConnector.h"

#include "MidiPortOpener.h"
#include "utilities.h"

#include <cerrno>
#include <cstring>
#include <ostream>

JackPortConnector::JackPortConnector(jack_client_t* client, const Settings& settings,
                                     std::ostream& out, std::ostream& err)
    : client_(client), settings_(settings), out_(out), err_(err) {}

std::vector<std::string> JackPortConnector::otherMidiPorts(unsigned long flags) const {
  std::vector<std::string> names;
  const std::string own = std::string(jack_get_client_name(client_)) + ":";
  const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
  for (size_t i = 0; ports && ports[i]; i++)
    if (std::strncmp(ports[i], own.c_str(), own.size()) != 0) names.emplace_back(ports[i]);
  jack_free(ports);
  return names;
}

void JackPortConnector::choose() {
  controlSource_ = chooseOne(settings_.controlIn, JackPortIsOutput, "control", "control input");
  notesSource_ = chooseOne(settings_.notesIn, JackPortIsOutput, "notes", "note input");
  if (settings_.lcdPort)
    lcdDestination_ = chooseOne(settings_.lcdOut, JackPortIsInput, "lcd", "LCD output");
}

std::string JackPortConnector::chooseOne(const std::string& selector, unsigned long flags,
                                         const char* ownName, const char* role) {
  const char* kind = flags == JackPortIsOutput ? "MIDI input" : "MIDI output";
  if (settings_.portSource == PortSource::Virtual)
    out_ << "Own " << kind << " \"" << ownName << "\" open\n";
  if (selector.empty()) return ""; // an own port that nothing is connected to yet
  const std::vector<std::string> listed = otherMidiPorts(flags);
  if (settings_.portSource == PortSource::FixedNames) {
    for (size_t i = 0; i < listed.size(); i++) {
      if (stk::midiPortNameMatches(listed[i], selector)) {
        out_ << "Connecting the " << role << " to #" << i << ": " << listed[i] << "\n";
        return listed[i];
      }
    }
    out_ << "ERROR specified port (" << selector << ") not found.\n" << std::flush;
    fixedPortMissing_ = true;
    return "";
  }
  const int chosen = MidiPortOpener::choose(selector, listed, kind, role, out_, err_);
  if (chosen < 0) {
    failed_ = true;
    return "";
  }
  return listed[static_cast<size_t>(chosen)];
}

void JackPortConnector::connect(jack_port_t* controlIn, jack_port_t* notesIn, jack_port_t* lcdOut) {
  if (!controlSource_.empty()) connectOne(controlSource_, jack_port_name(controlIn));
  if (!notesSource_.empty()) connectOne(notesSource_, jack_port_name(notesIn));
  if (!lcdDestination_.empty()) connectOne(jack_port_name(lcdOut), lcdDestination_);
}

void JackPortConnector::connectOne(const std::string& source, const std::string& destination) {
  const int result = jack_connect(client_, source.c_str(), destination.c_str());
  if (result == 0 || result == EEXIST) return;
  err_ << "tambrel: cannot connect " << source << " to " << destination << "\n";
  failed_ = true;
}

bool JackPortConnector::lcdIsHardware() const {
  if (lcdDestination_.empty()) return false;
  jack_port_t* port = jack_port_by_name(client_, lcdDestination_.c_str());
  return port && (jack_port_flags(port) & JackPortIsPhysical) != 0;
}
