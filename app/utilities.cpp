// MIDI port lookup: list the library's ports, open the first whose name matches.
#include "utilities.h"

#include "NameText.h"

#include <cctype>
#include <iostream>

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// What differs between an input and an output lookup.
struct InputPort {
  using Object = RtMidiIn;
  static RtMidiIn* create(RtMidi::Api api) { return new RtMidiIn(api, "RtMidi Input Client", 100); }
  static constexpr const char* countText = " MIDI input sources available.\n";
  static constexpr const char* portName = "RtMidi Input";
};

struct OutputPort {
  using Object = RtMidiOut;
  static RtMidiOut* create(RtMidi::Api api) { return new RtMidiOut(api, "RtMidi Output Client"); }
  static constexpr const char* countText = " MIDI output destinations available.\n";
  static constexpr const char* portName = "RtMidi Output";
};

template <class Port>
typename Port::Object* openPortNamed(const std::string& name, RtMidi::Api api) {
  typename Port::Object* midi = nullptr;
  try {
    midi = Port::create(api);
  } catch (RtMidiError& error) {
    error.printMessage();
    return nullptr;
  }

  try {
    const int count = static_cast<int>(midi->getPortCount());
    std::cout << "\nThere are " << count << Port::countText;
    for (int i = 0; i < count; i++) {
      const std::string portName = midi->getPortName(i);
      std::cout << " #" << i << ": " << portName << "\n";
      if (stk::midiPortNameMatches(portName, name)) {
        std::cout << "Trying to open port " << i << "\n";
        midi->openPort(i, Port::portName);
        return midi;
      }
    }
  } catch (RtMidiError& error) {
    error.printMessage();
    delete midi;
    return nullptr;
  }

  std::cout << "ERROR specified port (" << name << ") not found.\n" << std::flush;
  delete midi;
  return nullptr;
}

} // namespace

namespace stk {

bool midiPortNameMatches(const std::string& listedName, const std::string& requestedName) {
  if (listedName == requestedName) return true;

  // Split the requested name into "NAME" and "C:P" at its last blank.
  const std::string::size_type blank = requestedName.rfind(' ');
  if (blank == std::string::npos || blank == 0) return false;
  const std::string clientName = requestedName.substr(0, blank);
  const std::string address = requestedName.substr(blank + 1);
  const std::string::size_type colon = address.find(':');
  if (colon == std::string::npos || !NameText::allDigits(address.substr(0, colon)) ||
      !NameText::allDigits(address.substr(colon + 1)))
    return false;

  const std::string prefix = clientName + ":";
  const std::string suffix = " " + address;
  return listedName.size() >= prefix.size() + suffix.size() && startsWith(listedName, prefix) &&
         endsWith(listedName, suffix);
}

RtMidiIn* midiInputPortNamed(std::string name, RtMidi::Api api) {
  return openPortNamed<InputPort>(name, api);
}

RtMidiOut* midiOutputPortNamed(std::string name, RtMidi::Api api) {
  return openPortNamed<OutputPort>(name, api);
}

} // namespace stk
