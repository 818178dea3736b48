// The port and device listing, in the numbering and naming that selectors and --device take.
#include "PortListing.h"

#include "RtAudio.h"
#include "RtMidi.h"

#include <memory>
#include <ostream>

namespace {

template <class Port> bool listMidi(const char* heading, RtMidi::Api api, std::ostream& out) {
  try {
    std::unique_ptr<Port> port(new Port(api, "tambrel"));
    const unsigned int count = port->getPortCount();
    out << heading << " (" << RtMidi::getApiDisplayName(port->getCurrentApi()) << "):\n";
    for (unsigned int i = 0; i < count; i++)
      out << "  #" << i << ": " << port->getPortName(i) << "\n";
    if (count == 0) out << "  (none)\n";
    return true;
  } catch (RtMidiError& error) {
    error.printMessage();
    out << heading << ": none, the MIDI back end could not be opened\n";
    return false;
  }
}

bool listAudio(RtAudio::Api api, std::ostream& out) {
  try {
    RtAudio dac(api);
    const unsigned int count = dac.getDeviceCount();
    out << "Audio output devices (" << RtAudio::getApiDisplayName(dac.getCurrentApi()) << "):\n";
    unsigned int outputs = 0;
    for (unsigned int i = 0; i < count; i++) {
      const RtAudio::DeviceInfo info = dac.getDeviceInfo(i);
      if (!info.probed || info.outputChannels == 0) continue;
      outputs++;
      out << "  #" << i << ": " << info.name << ", " << info.outputChannels << " channels, ";
      for (size_t r = 0; r < info.sampleRates.size(); r++)
        out << (r ? " " : "") << info.sampleRates[r];
      out << " Hz" << (info.isDefaultOutput ? ", default" : "") << "\n";
    }
    if (outputs == 0) out << "  (none)\n";
    return true;
  } catch (RtAudioError& error) {
    error.printMessage();
    out << "Audio output devices: none, the audio back end could not be opened\n";
    return false;
  }
}

} // namespace

int PortListing::print(const Settings& settings, std::ostream& out) {
  bool ok = listMidi<RtMidiIn>("MIDI inputs", settings.midiApi, out);
  ok = listMidi<RtMidiOut>("MIDI outputs", settings.midiApi, out) && ok;
  ok = listAudio(settings.audioApi, out) && ok;
  return ok ? 0 : 1;
}
