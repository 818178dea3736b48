// The MIDNAM document: one note name list, the same on every channel.
#include "NoteNames.h"

#include <cstdlib>
#include <cstring>

namespace plugin {

namespace {

const char* const kDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE MIDINameDocument PUBLIC \"-//MIDI Manufacturers Association//DTD "
    "MIDINameDocument 1.0//EN\" \"http://www.midi.org/dtds/MIDINameDocument10.dtd\">\n"
    "<MIDINameDocument>\n"
    "  <Author>tambrel</Author>\n"
    "  <MasterDeviceNames>\n"
    "    <Manufacturer>tambrel</Manufacturer>\n"
    "    <Model>tambrel</Model>\n"
    "    <CustomDeviceMode Name=\"Default\">\n"
    "      <ChannelNameSetAssignments>\n"
    "        <ChannelNameSetAssign Channel=\"1\" NameSet=\"Drums\"/>\n"
    "      </ChannelNameSetAssignments>\n"
    "    </CustomDeviceMode>\n"
    "    <ChannelNameSet Name=\"Drums\">\n"
    "      <AvailableForChannels>\n"
    "        <AvailableChannel Channel=\"1\" Available=\"true\"/>\n"
    "      </AvailableForChannels>\n"
    "      <UsesNoteNameList Name=\"Drums\"/>\n"
    "    </ChannelNameSet>\n"
    "    <NoteNameList Name=\"Drums\">\n"
    "      <Note Number=\"36\" Name=\"Drum 0 (kick)\"/>\n"
    "      <Note Number=\"38\" Name=\"Drum 1 (snare)\"/>\n"
    "      <Note Number=\"39\" Name=\"Drum 2 (clap)\"/>\n"
    "      <Note Number=\"42\" Name=\"Drum 3 (closed hat)\"/>\n"
    "      <Note Number=\"46\" Name=\"Drum 4 (open hat)\"/>\n"
    "    </NoteNameList>\n"
    "  </MasterDeviceNames>\n"
    "</MIDINameDocument>\n";

char* copy(const char* text) {
  const size_t size = std::strlen(text) + 1;
  char* out = static_cast<char*>(std::malloc(size));
  if (out) std::memcpy(out, text, size);
  return out;
}

char* midnam(void*) {
  return copy(kDocument);
}

char* model(void*) {
  return copy("tambrel");
}

void release(char* text) {
  std::free(text);
}

const MidnamInterface kInterface = {midnam, model, release};

} // namespace

const char* NoteNames::document() {
  return kDocument;
}

const MidnamInterface* NoteNames::interface() {
  return &kInterface;
}

} // namespace plugin
